// Gives a plain edit box Ctrl+A: select the whole text, insert nothing.
// Attaches by subclassing the edit; detaches when destroyed.
#pragma once

#include <windows.h>

namespace support {

class csTBSelectAllHook {
public:
    csTBSelectAllHook() = default;
    ~csTBSelectAllHook();
    // The subclass points at this object: it stays where it is.
    csTBSelectAllHook(const csTBSelectAllHook&) = delete;
    csTBSelectAllHook& operator=(const csTBSelectAllHook&) = delete;

    // Attaches to the edit (leaving an earlier one); true on success. False
    // for null or a window that cannot be attached to, and nothing changes.
    bool Init(HWND textBox);
    // The attached edit, null before a successful Init.
    HWND TextBox() const { return textBox_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void Detach();

    HWND textBox_ = nullptr;
    bool initialised_ = false;
    bool attached_ = false;
    bool swallowChar_ = false;
};

}  // namespace support
