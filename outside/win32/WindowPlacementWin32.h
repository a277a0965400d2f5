// Window placements through the settings store (section "", key, window
// name): converts between a window and the store's placement record.
#pragma once

#include <windows.h>

#include <string>

#include "../SettingsStore.h"

namespace outside {

// Stores the window's normal rectangle and whether it is (or will restore to)
// maximized. Throws RuntimeError when the window or the store fails.
void SaveWindowPlacement(SettingsStore& store, const std::string& key, const std::string& windowName, HWND window);

// Applies a stored placement, moved and shrunk as needed to lie inside the work
// area of the nearest monitor. A visible window takes the stored state
// (normal or maximized); a hidden window stays hidden and showCommand, when
// given, receives SW_SHOWMAXIMIZED or SW_SHOWNORMAL for the caller's first
// ShowWindow. False, with the window untouched, when nothing was stored.
bool RestoreWindowPlacement(const SettingsStore& store, const std::string& key, const std::string& windowName,
                            HWND window, int* showCommand = nullptr);

}  // namespace outside
