#include "WindowPlacementWin32.h"

#include <algorithm>

#include "Win32Error.h"

namespace outside {
namespace {

// The placement of a top-level window that is not a tool window is in
// workspace coordinates: relative to the primary monitor's work area.
POINT WorkspaceOffset(HWND window) {
    if (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return {0, 0};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return {0, 0};
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

// The rectangle, shrunk to fit and moved to lie wholly inside area.
RECT FitInto(RECT rect, const RECT& area) {
    const LONG width = std::min(rect.right - rect.left, area.right - area.left);
    const LONG height = std::min(rect.bottom - rect.top, area.bottom - area.top);
    const LONG left = std::clamp(rect.left, area.left, area.right - width);
    const LONG top = std::clamp(rect.top, area.top, area.bottom - height);
    return {left, top, left + width, top + height};
}

}  // namespace

void SaveWindowPlacement(SettingsStore& store, const std::string& key, const std::string& windowName, HWND window) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(window, &wp)) throw LastError();
    WindowPlacement placement;
    placement.left = wp.rcNormalPosition.left;
    placement.top = wp.rcNormalPosition.top;
    placement.right = wp.rcNormalPosition.right;
    placement.bottom = wp.rcNormalPosition.bottom;
    // A minimized window is kept as the state it comes back to.
    placement.maximized = ::IsZoomed(window) || (::IsIconic(window) && (wp.flags & WPF_RESTORETOMAXIMIZED));
    store.SaveWindowPlacement("", key, windowName, placement);
}

bool RestoreWindowPlacement(const SettingsStore& store, const std::string& key, const std::string& windowName,
                            HWND window, int* showCommand) {
    WindowPlacement placement;
    if (!store.RestoreWindowPlacement("", key, windowName, placement)) return false;

    const POINT offset = WorkspaceOffset(window);
    RECT screen{placement.left + offset.x, placement.top + offset.y, placement.right + offset.x,
                placement.bottom + offset.y};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST), &info))
        screen = FitInto(screen, info.rcWork);

    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(window, &wp)) throw LastError();
    wp.flags = 0;
    wp.rcNormalPosition = {screen.left - offset.x, screen.top - offset.y, screen.right - offset.x,
                           screen.bottom - offset.y};
    const int wanted = placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp.showCmd = ::IsWindowVisible(window) ? wanted : SW_HIDE;
    if (!::SetWindowPlacement(window, &wp)) throw LastError();
    if (showCommand) *showCommand = wanted;
    return true;
}

}  // namespace outside
