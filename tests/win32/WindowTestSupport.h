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

// Answers the modal dialogs (#32770) this process shows, one after another,
// each with the next action of a script, from a thread of its own; a test
// thread blocked in a modal loop goes on. A dialog is taken only once the one
// before it has gone; dialogs past the script are left alone.
class DialogScript {
public:
    using Action = std::function<void(HWND dialog)>;
    explicit DialogScript(std::vector<Action> actions);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    // The texts (a message box's text, else the caption) of the dialogs taken so far.
    std::vector<std::string> Texts() const;
    size_t Taken() const { return Texts().size(); }

    // Actions: press a button by its id; type into an edit, then press OK.
    static Action Press(int id);
    static Action TypeAndConfirm(int editId, const std::string& text);

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
