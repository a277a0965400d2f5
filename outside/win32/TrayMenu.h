// The tray-menu object: shows a popup menu for the tray icon and tells the
// caller when a tray event is one it must answer by showing its window.
#pragma once

#include <windows.h>

#include "Perchlet.h"

namespace outside {

class TrayMenu {
public:
    // window receives WM_COMMAND for the chosen item; defaultItem is drawn bold.
    void Attach(HWND window, Perchlet* tray, HMENU popupMenu, UINT defaultItem);
    // Right button: shows the menu and returns true. A left click or double
    // click, or a click on the icon's notification: false (show the window).
    // Other mouse traffic: true (nothing to do).
    bool HandleTrayEvent();

private:
    HWND window_ = nullptr;
    Perchlet* tray_ = nullptr;
    HMENU menu_ = nullptr;
};

}  // namespace outside
