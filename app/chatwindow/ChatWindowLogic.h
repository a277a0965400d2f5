// The chat window's arithmetic and key rules, kept apart from the window so
// they can be tested anywhere: the layout in twips, the minimum size, which
// key does what, and when Enter sends.
#pragma once

#include <array>

namespace chatwindow {

struct TwipsRect {
    int left, top, width, height;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

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
struct Growth {
    int width = 0, height = 0;
};
Growth GrowthToMinimum(int width, int height);

struct Modifiers {
    bool shift = false, ctrl = false, alt = false;
};

enum class HotKeyAction { None, ReadMe, About, Hide, Exit, GlobalSettings, LocalSettings, Logs, MakeTransparent };

// Window-wide keys; the modifier state must match exactly.
HotKeyAction HotKeyFor(int virtualKey, Modifiers modifiers);

// Enter alone sends with "Send on Enter" on, Ctrl+Enter alone with it off.
bool IsSendKey(int virtualKey, Modifiers modifiers, bool sendOnEnter);

// Transparency toggles between 75 and 100 percent; the first press gives 75.
inline int NextTransparency(int current) { return current == 75 ? 100 : 75; }

// Virtual-key codes used by the rules (the values Windows uses).
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kVkF1 = 0x70;
inline constexpr int kVkF9 = 0x78;
inline constexpr int kVkL = 'L';
inline constexpr int kVk0 = '0';
inline constexpr int kVkA = 'A';

}  // namespace chatwindow
