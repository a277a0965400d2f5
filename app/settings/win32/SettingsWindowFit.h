// What both settings windows do to their frame once their controls are in.
#pragma once

#include <windows.h>

namespace settings {

// A new client size in pixels, the window staying where it is.
inline void ResizeClient(HWND window, int widthPx, int heightPx) {
    RECT frame{0, 0, widthPx, heightPx};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Group boxes draw only their edge and caption: the window paints under them,
// as a dialog box does, or their inside stays unpainted.
inline void PaintUnderGroupBoxes(HWND window) {
    ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPCHILDREN));
}

// The room a check box needs beside its caption: the box and the gap after it, in pixels.
inline int CheckBoxGlyphPx() { return ::GetSystemMetrics(SM_CXMENUCHECK) + 8; }

}  // namespace settings
