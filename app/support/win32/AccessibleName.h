// Names and roles for assistive technology (Microsoft Active Accessibility).
// A control whose window text is no name (an edit box, a rich-text pane, a
// list, an icon, an option button drawn without caption) or a control of our
// own gets one here: its WM_GETOBJECT is answered with the accessible object
// the system makes for the window, wrapped so that the name, the role and the
// default action are ours and everything else stays the system's.
#pragma once

#include <windows.h>

#include <string>

namespace support {

struct AccessibleTraits {
    std::string name;  // empty: the system's (the window text, or a label's)
    long role = 0;     // 0: the system's; else a ROLE_SYSTEM_* value
    // A button's default action: named "Нажать" and carried out by posting
    // BM_CLICK to the window, so the caller never waits for what the click opens.
    bool pressable = false;
};

// Gives a control of any class a name (and a role) for the life of its window.
void SetAccessibleName(HWND control, const std::string& name, long role = 0);

// For a window procedure of our own, on WM_GETOBJECT: the answer for the
// client object, or 0 (let DefWindowProc answer) for any other object.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleTraits& traits);

}  // namespace support
