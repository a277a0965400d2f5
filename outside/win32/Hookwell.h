// The window-hook library: a hook object per window that lets a callback see
// (and change, or swallow) every message before the window's own procedure.
#pragma once

#include <windows.h>

namespace outside {

class Hookwell;

class IHookwellCallback {
public:
    virtual ~IHookwellCallback() = default;
    // Everything but hook and window may be changed; suppress swallows the
    // message, and result is then what the sender gets.
    virtual void WindowProc(Hookwell& hook, HWND window, UINT& message, WPARAM& wParam, LPARAM& lParam,
                            LRESULT& result, bool& suppress) = 0;
};

class Hookwell {
public:
    Hookwell() = default;
    ~Hookwell();
    Hookwell(const Hookwell&) = delete;
    Hookwell& operator=(const Hookwell&) = delete;

    void SetCallback(IHookwellCallback* callback) { callback_ = callback; }
    // Hooks the window (unhooking any other first); null unhooks.
    void HookWindow(HWND window);
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    IHookwellCallback* callback_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace outside
