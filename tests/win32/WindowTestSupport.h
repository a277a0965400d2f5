// Helpers for tests that drive real windows in this process: pumping the
// message loop with a time box, and reading a RichEdit back.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// Pumps messages until done() holds or timeoutMs passes; true when done() held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Pumps for a while regardless.
void PumpFor(int milliseconds);

// Character format of the character at position index of a RichEdit.
struct CharFormat {
    int size = 0;  // points
    bool bold = false;
    COLORREF colour = 0;
    int alignment = 0;  // PFA_*
};
CharFormat FormatAt(HWND richEdit, int index);

// The plain text of an RTF file, as a RichEdit reads it.
std::string RtfFileText(const std::string& path);
// A hidden RichEdit holding the RTF file; the caller destroys it.
HWND LoadRtfFile(const std::string& path);
// Full paths of the conversation logs in the chat's logs folder (not the ledger beside them).
std::vector<std::string> LogFiles();

// Answers the modal boxes this process shows while it lives: from a thread of
// its own it finds each dialog box (#32770) of the process, keeps its text and
// presses OK, so a test thread blocked in a modal loop goes on.
class ModalCloser {
public:
    ModalCloser();
    ~ModalCloser();
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;
    // The texts of the boxes answered so far.
    std::vector<std::string> Texts() const;

    struct State;

private:
    State* state_;
};

// Answers the dialog boxes of this process (common file dialogs and message
// boxes alike, class #32770) from a thread of its own by a script: the n-th
// new box gets the n-th step. Boxes beyond the script are cancelled, so a test
// never hangs in a modal loop.
class DialogScript {
public:
    using Step = std::function<void(HWND box)>;
    using Action = Step;
    explicit DialogScript(std::vector<Step> steps);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    // Per box seen, in order: a message box's text, else the window's caption.
    std::vector<std::string> Texts() const;
    int BoxesSeen() const;
    size_t Taken() const { return static_cast<size_t>(BoxesSeen()); }

    // Types path into a file dialog's name box and confirms it.
    static Step ChooseFile(const std::string& path);
    // Presses a button: IDOK, IDCANCEL, IDYES, IDNO.
    static Step Press(int id);
    // Types text into the edit editId, then presses OK.
    static Step TypeAndConfirm(int editId, const std::string& text);
    // Keeps the folder a file dialog shows, then goes on with next.
    static Step ReadFolder(std::string* folder, Step next);

    struct State;

private:
    State* state_;
};

// Records every caption a window is given (WM_SETTEXT), through a subclass.
class CaptionRecorder {
public:
    explicit CaptionRecorder(HWND window);
    ~CaptionRecorder();
    CaptionRecorder(const CaptionRecorder&) = delete;
    CaptionRecorder& operator=(const CaptionRecorder&) = delete;
    const std::vector<std::string>& Captions() const { return captions_; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND window_;
    std::vector<std::string> captions_;
};

}  // namespace wintest
