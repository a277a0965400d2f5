// What the program's windows share and what can be tested anywhere: design
// rectangles in twips, the modifier state of a key, and the keys the dialog
// windows treat alike.
#pragma once

namespace support {

// A control's design position and size in twips (1/1440 inch).
struct TwipsRect {
    int left, top, width, height;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// Which modifier keys are held; the rules compare the whole state.
struct Modifiers {
    bool shift = false, ctrl = false, alt = false;
    bool None() const { return !shift && !ctrl && !alt; }
    bool ShiftOnly() const { return shift && !ctrl && !alt; }
    bool CtrlOnly() const { return ctrl && !shift && !alt; }
};

// Virtual-key codes used by the rules (the values Windows uses).
inline constexpr int kVkTab = 0x09;
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kVkF1 = 0x70;
inline constexpr int kVkF3 = 0x72;
inline constexpr int kVkF9 = 0x78;

// The keys every dialog window handles before its focused control.
enum class FormKey {
    None,     // the key goes on to the focused control and the dialog keys
    ReadMe,   // F1 alone
    About,    // Shift+F1
    Close,    // Esc alone
    Swallow,  // Esc with other modifiers: nothing happens, and the key is not a Cancel either
};
FormKey FormKeyFor(int virtualKey, Modifiers modifiers);

// How much a client area must grow to reach a minimum (0 where it need not).
struct Growth {
    int width = 0, height = 0;
};
inline Growth GrowthToMinimum(int width, int height, int minWidth, int minHeight) {
    return {width < minWidth ? minWidth - width : 0, height < minHeight ? minHeight - height : 0};
}

// Twips to pixels at dots per inch, rounded to the nearest pixel.
inline int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}
inline int PixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) dpi = 96;
    const long long scaled = static_cast<long long>(pixels) * 1440;
    return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

}  // namespace support
