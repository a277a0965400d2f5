#include "TrayMenu.h"

namespace outside {

void TrayMenu::Attach(HWND window, Perchlet* tray, HMENU popupMenu, UINT defaultItem) {
    window_ = window;
    tray_ = tray;
    menu_ = popupMenu;
    if (menu_) ::SetMenuDefaultItem(menu_, defaultItem, FALSE);
}

bool TrayMenu::HandleTrayEvent() {
    if (!tray_) return true;
    switch (tray_->LastMouseMessage()) {
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: {
            if (!menu_) return true;
            POINT at{};
            ::GetCursorPos(&at);
            // Foreground first, or the menu does not close when the user clicks elsewhere.
            ::SetForegroundWindow(window_);
            const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
                menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
            ::PostMessageW(window_, WM_NULL, 0, 0);
            if (chosen) ::PostMessageW(window_, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
            return true;
        }
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case NIN_SELECT:
        case NIN_KEYSELECT:
        case NIN_BALLOONUSERCLICK:
            return false;
        default:
            return true;
    }
}

}  // namespace outside
