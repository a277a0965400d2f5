// The window-related support functions (Windows only).
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace outside {

// The program's hidden top-level owner window, created on first use.
HWND esGetThunderMainHandle();
// Big and small icons of a window from a group-icon resource of the program.
void asSetWindowResIconAll(HWND window, const std::string& resourceName);
// Only the small (caption) icon; null removes the window's own.
void asSetWindowIconSmall(HWND window, HICON icon);
// Centres a window on the screen's work area.
void esCenterFormEx(HWND window, int = 0);
// Sends the window its own close command, as a close by the user would.
void esUnloadForm(HWND window);
// Opacity in percent: 100 opaque.
void esSetWindowTransparecny(HWND window, int percent, bool = true);
void esTextBox_SelectAll(HWND edit);
bool esIsKeyPressed(int virtualKey);
bool esIsHostWinNT();
int esScreenTwipsPerPixelX();
int esScreenTwipsPerPixelY();
void asDebugPrint(const std::string& text);
// Called once by every window that hosts own controls.
void esFixUserControlsContainerWindow();
// Opens the program's read-me document: the file beside the program named
// like it with ".ReadMe.html" in place of ".exe".
void esOpenReadMeFile(int = 0);
// A modal about box with the program's icon ("A_MAIN").
void ShowAbout(HWND owner, const std::string& caption, const std::string& text);

// The utility object's option-button helpers: which button of a group is
// selected (-1 when none), and selecting one (the others are cleared; an index
// outside the group clears them all).
int GetOptionIndex(std::span<const HWND> options);
void SetOptionIndex(std::span<const HWND> options, int index);

}  // namespace outside
