// The driver for tests of real windows in this process: pumping the message
// loop with a time box, controls by id, keys, answering boxes, reading a
// RichEdit and pixels back.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "QuilletProcess.h"  // MessageBoxText

namespace support {
class FormBase;
}

namespace wintest {

// True when the tests run under Wine (which a Windows machine is not).
bool UnderWine();

// Pumps messages until done() holds or timeoutMs passes; true when done() held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Pumps for a while regardless.
void PumpFor(int milliseconds);

// Closes a form's window through its own unload and pumps until it is gone.
void Unload(support::FormBase* form);

// A window's whole text.
std::string WindowText(HWND window);
// A control of a window by its id: its text, a click as the user's (check
// boxes toggle, push buttons act), its check mark; and any window's text set.
std::string Text(HWND window, int id);
void Click(HWND window, int id);
bool Checked(HWND window, int id);
void SetText(HWND window, const std::string& text);

// Holds Shift and Ctrl for this thread as GetKeyState sees them (Alt up).
class HeldKeys {
public:
    HeldKeys(bool shift, bool ctrl);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};
// A key as a control gets it from the message loop: down, its character (if
// any), up, with the modifiers held.
void PressKey(HWND control, int vk, wchar_t ch = 0, bool shift = false, bool ctrl = false);
// Real keyboard input through SendInput: the keys down in order, up in
// reverse, then a short pump.
void SendKeys(const std::vector<WORD>& keys);
// Takes the foreground for a window; fails the test under Wine (where Xvfb
// always allows it) and says false elsewhere, for the caller to skip.
bool TakeForeground(HWND window);

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

// Answers the dialog boxes of this process (common file dialogs and message
// boxes alike, class #32770) from a thread of its own by a script: the n-th
// new box gets the n-th step. Boxes beyond the script are cancelled, so a test
// never hangs in a modal loop.
class DialogScript {
public:
    using Step = std::function<void(HWND box)>;
    explicit DialogScript(std::vector<Step> steps);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    // Per box seen, in order: a message box's text, else the window's caption.
    std::vector<std::string> Texts() const;
    int BoxesSeen() const;

    // Types path into a file dialog's name box and confirms it.
    static Step ChooseFile(const std::string& path);
    // Presses a button: IDOK, IDCANCEL, IDYES, IDNO. A box without that
    // button fails the test (Wine's boxes close on any posted answer).
    static Step Press(int id);
    // Checks a message box's buttons (the default first) and its standard
    // icon (IDI_WARNING...), then goes on with next.
    static Step Expect(std::vector<int> buttons, LPCWSTR icon, Step next);
    // Types text into the edit editId, then presses OK.
    static Step TypeAndConfirm(int editId, const std::string& text);
    // Keeps the folder a file dialog shows, then goes on with next.
    static Step ReadFolder(std::string* folder, Step next);

    struct State;

private:
    State* state_;
};

// Pixels read back through GDI, top-down, each 0xAARRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y * width + x)]; }
    COLORREF Rgb(int x, int y) const {
        const uint32_t p = At(x, y);
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool operator==(const Pixels&) const = default;
};
// A 32-bit top-down device-independent bitmap header.
BITMAPINFO Dib32(int width, int height);
// A bitmap's own pixels, alpha included.
Pixels BitmapPixels(HBITMAP bitmap);
// What paint draws on a width x height surface first filled with background.
Pixels Painted(int width, int height, COLORREF background, const std::function<void(HDC)>& paint);
// A window's client area as WM_PRINTCLIENT paints it, on magenta (no face of
// ours holds it, so an unpainted pixel shows).
Pixels PrintedClient(HWND window);
// An icon drawn on black at its own size, or at size x size.
Pixels IconPixels(HICON icon, int size = 0);
// The handle inside an OLE picture (they are 32 bits wide there).
HANDLE PictureHandle(IPicture* picture);

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

// What assistive technology reads of a window's client object, through
// AccessibleObjectFromWindow as a screen reader asks for it.
struct AccessibleClient {
    bool found = false;
    std::string name;
    long role = 0;
    std::string defaultAction;
};
AccessibleClient ReadAccessible(HWND window);
// Carries out the client object's default action; false when it refused.
bool DoAccessibleDefaultAction(HWND window);

}  // namespace wintest
