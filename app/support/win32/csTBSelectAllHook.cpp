#include "csTBSelectAllHook.h"

#include <commctrl.h>

#include "outside/win32/WindowSupport.h"

namespace support {
namespace {

// Exactly Ctrl: Ctrl+Shift+A and Ctrl+Alt+A stay the edit's own.
bool IsSelectAllChord(WPARAM key) {
    return key == 'A' && outside::esIsKeyPressed(VK_CONTROL) && !outside::esIsKeyPressed(VK_SHIFT) &&
           !outside::esIsKeyPressed(VK_MENU);
}

}  // namespace

csTBSelectAllHook::~csTBSelectAllHook() { Detach(); }

bool csTBSelectAllHook::Init(HWND textBox) {
    if (!textBox || !::IsWindow(textBox)) return false;
    if (attached_ && textBox == textBox_) return true;
    const UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
    if (!::SetWindowSubclass(textBox, SubclassProc, id, reinterpret_cast<DWORD_PTR>(this))) return false;
    if (attached_) ::RemoveWindowSubclass(textBox_, SubclassProc, id);
    textBox_ = textBox;
    attached_ = true;
    initialised_ = true;
    swallowChar_ = false;
    return true;
}

void csTBSelectAllHook::Detach() {
    if (attached_ && ::IsWindow(textBox_)) ::RemoveWindowSubclass(textBox_, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    attached_ = false;
}

LRESULT CALLBACK csTBSelectAllHook::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR data) {
    auto* self = reinterpret_cast<csTBSelectAllHook*>(data);
    switch (msg) {
        case WM_KEYDOWN:
            if (self->initialised_ && IsSelectAllChord(wParam)) {
                outside::esTextBox_SelectAll(hwnd);
                self->swallowChar_ = true;  // the character Ctrl+A makes comes next
                return 0;                   // the edit never sees the key
            }
            // A new key: Ctrl+A made no character, so nothing is left to swallow.
            self->swallowChar_ = false;
            break;
        case WM_CHAR:
            if (self->swallowChar_) {
                self->swallowChar_ = false;
                return 0;
            }
            break;
        case WM_NCDESTROY:
            // The edit goes first: let go of it now.
            self->Detach();
            break;
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace support
