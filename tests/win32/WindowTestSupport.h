// The driver for real windows in this process: the message loop, controls, keys, boxes, RichEdits, pixels.
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

bool UnderWine();

// True when done() held before timeoutMs passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
void PumpFor(int milliseconds);

// Closes a form's window through its own unload and pumps until it is gone.
void Unload(support::FormBase* form);

std::string WindowText(HWND window);
// A control by its id: its text, a click as the user's (check boxes toggle, push buttons act), its check mark.
std::string Text(HWND window, int id);
void Click(HWND window, int id);
bool Checked(HWND window, int id);
void SetText(HWND window, const std::string& text);

// Holds Shift, Ctrl and Alt for this thread as GetKeyState sees them.
class HeldKeys {
public:
    HeldKeys(bool shift, bool ctrl, bool alt = false);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};
// A key as a control gets it from the message loop: down, its character (if any), up, the modifiers held.
void PressKey(HWND control, int vk, wchar_t ch = 0, bool shift = false, bool ctrl = false);
// Real keyboard input through SendInput: the keys down in order, up in reverse, then a short pump.
void SendKeys(const std::vector<WORD>& keys);
// Fails the test under Wine (where Xvfb always allows it); false elsewhere, for the caller to skip.
bool TakeForeground(HWND window);

// Of the character at position index of a RichEdit.
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

// Answers this process's boxes (#32770) from a thread: the n-th new box gets step n, any later one Cancel.
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

    // Types path into the box's first writable edit (a file dialog's name, an input box) and confirms it.
    static Step ChooseFile(const std::string& path);
    // A box without that button fails the test (Wine's boxes close on any posted answer).
    static Step Press(int id);
    // Checks a message box's buttons (the default first) and its standard icon, then goes on with next.
    static Step Expect(std::vector<int> buttons, LPCWSTR icon, Step next);

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
BITMAPINFO Dib32(int width, int height);  // 32-bit, top-down
Pixels BitmapPixels(HBITMAP bitmap);       // alpha included
// What paint draws on a width x height surface first filled with background.
Pixels Painted(int width, int height, COLORREF background, const std::function<void(HDC)>& paint);
// A window's client area as WM_PRINTCLIENT paints it, on magenta (an unpainted pixel shows).
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

// What a screen reader reads of a window's client object through AccessibleObjectFromWindow.
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
