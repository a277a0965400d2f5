#include "Hookwell.h"

#include <commctrl.h>

namespace outside {

Hookwell::~Hookwell() { HookWindow(nullptr); }

void Hookwell::HookWindow(HWND window) {
    if (window_ && ::IsWindow(window_)) ::RemoveWindowSubclass(window_, Proc, reinterpret_cast<UINT_PTR>(this));
    window_ = nullptr;
    if (window && ::SetWindowSubclass(window, Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        window_ = window;
}

LRESULT CALLBACK Hookwell::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Hookwell*>(data);
    if (msg == WM_NCDESTROY) {
        self->HookWindow(nullptr);
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (self->callback_) {
        LRESULT result = 0;
        bool suppress = false;
        try {
            self->callback_->WindowProc(*self, hwnd, msg, wParam, lParam, result, suppress);
        } catch (...) {
            // A failing callback must not take the window down: let the message through.
            suppress = false;
        }
        if (suppress) return result;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace outside
