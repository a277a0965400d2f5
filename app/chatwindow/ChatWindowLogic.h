// The chat window's arithmetic and key rules, kept apart from the window so
// they can be tested anywhere: the layout in twips, the minimum size, which
// key does what, and when Enter sends.
#pragma once

#include <array>

#include "app/support/FormDesign.h"

namespace chatwindow {

using support::Growth;
using support::Modifiers;
using support::TwipsRect;

inline constexpr int kDesignClientWidth = 7170;
inline constexpr int kDesignClientHeight = 5070;
inline constexpr int kMinClientWidth = 6210;
inline constexpr int kMinClientHeight = 2745;
inline constexpr int kButtonSize = 675;

// Buttons from left to right: local settings, global settings, logs, transparency, exit.
enum ToolbarButton : int { kLocalSettings = 0, kGlobalSettings, kLogs, kMakeTransparent, kExit, kButtonCount };

struct ChatLayout {
    TwipsRect nameLabel;  // lblTag(0)
    TwipsRect userName;   // txtUserNameRO
    TwipsRect logLabel;   // lblTag(1)
    TwipsRect log;        // rtfLog
    TwipsRect message;    // txtMessage
    std::array<TwipsRect, kButtonCount> buttons;
};

// The layout for a client area of width x height twips (at least the minimum).
ChatLayout LayoutChatWindow(int width, int height);

// How much the client area must grow to reach the minimum (0 when it need not).
inline Growth GrowthToMinimum(int width, int height) {
    return support::GrowthToMinimum(width, height, kMinClientWidth, kMinClientHeight);
}

enum class HotKeyAction {
    None, ReadMe, About, Hide, Exit, GlobalSettings, LocalSettings, Logs, MakeTransparent,
    SendFile,  // Ctrl+O: choose files to send
};

// Window-wide keys; the modifier state must match exactly.
HotKeyAction HotKeyFor(int virtualKey, Modifiers modifiers);

// Enter alone sends with "Send on Enter" on, Ctrl+Enter alone with it off.
bool IsSendKey(int virtualKey, Modifiers modifiers, bool sendOnEnter);

// Transparency toggles between 75 and 100 percent; the first press gives 75.
inline int NextTransparency(int current) { return current == 75 ? 100 : 75; }

// Whether a key press also brings a character (WM_CHAR) that the message box
// would take: Enter, Esc and Ctrl with a letter do; F keys and Ctrl+0 do not.
bool KeyMakesCharacter(int virtualKey, Modifiers modifiers);

// Virtual-key codes used by the rules (the values Windows uses).
using support::kVkEscape;
using support::kVkF1;
using support::kVkF9;
using support::kVkReturn;
inline constexpr int kVkL = 'L';
inline constexpr int kVk0 = '0';
inline constexpr int kVkA = 'A';
inline constexpr int kVkO = 'O';

}  // namespace chatwindow
