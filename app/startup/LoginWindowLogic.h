// The entry window's texts, layout and keys, apart from the window so they
// can be tested anywhere.
#pragma once

#include <array>
#include <string>

#include "app/support/FormDesign.h"

namespace startup {

using support::Modifiers;
using support::TwipsRect;

inline constexpr char kLoginCaption[] = "Quillet :: Вход в систему";
inline constexpr int kLabelCount = 5;
// lblTag 0 to 4; 0, 2 and 4 are the bold captions of the three buttons.
extern const std::array<std::string, kLabelCount> kLoginLabels;
inline bool IsCaptionLabel(int index) { return index % 2 == 0; }

// Settings of the two remembered folders.
inline constexpr char kOfnSection[] = "OFN Paths";
inline constexpr char kLastCreateKey[] = "Laste Create File Directory";
inline constexpr char kLastOpenKey[] = "Laste Open File Directory";
inline constexpr char kChatFileFilter[] = "Файлы чата|*.ZPMFChat|Все файлы|*.*";
inline constexpr char kChatFileExtension[] = "ZPMFChat";

// Buttons from top to bottom.
enum LoginButton : int { kCreateChat = 0, kOpenChat, kExit, kLoginButtonCount };

// The design, in twips: a column of picture buttons on the left and, beside
// each, its bold caption with the explanation under it.
inline constexpr int kLoginClientWidth = 8100;
inline constexpr int kLoginMargin = 180;
inline constexpr int kLoginButtonSize = 720;
inline constexpr int kLoginGap = 180;        // between a button and its texts
inline constexpr int kLoginCaptionGap = 60;  // between a caption and its explanation
inline constexpr int kLoginRowGap = 300;     // between the rows
// Where the texts start and how wide they may wrap.
inline constexpr int kLoginTextLeft = kLoginMargin + kLoginButtonSize + kLoginGap;
inline constexpr int kLoginTextWidth = kLoginClientWidth - kLoginTextLeft - kLoginMargin;

struct LoginLayout {
    std::array<TwipsRect, kLoginButtonCount> buttons;
    std::array<TwipsRect, kLabelCount> labels;
    int clientWidth = 0;
    int clientHeight = 0;
};

// The layout for the heights (twips) that the five texts take when wrapped at
// kLoginTextWidth in the window's fonts. A row is as tall as its button or its
// texts, whichever is taller; the exit caption, with no explanation, stands
// level with the middle of its button.
LoginLayout LayoutLoginWindow(const std::array<int, kLabelCount>& textHeights);

enum class LoginKey {
    None,     // on to the dialog keys
    ReadMe,   // F1
    About,    // Shift+F1
    Close,    // Esc alone: as the exit button
    Swallow,  // Esc with Shift, Ctrl or Alt: nothing at all
    Press,    // Enter or Space alone on a focused picture button: its command
};
LoginKey LoginKeyFor(int virtualKey, Modifiers modifiers, bool focusOnPictureButton);

inline constexpr int kVkSpace = 0x20;

// Whether Windows takes a file name for one of its devices: CON, PRN, AUX,
// NUL, COM1 to COM9 and LPT1 to LPT9 in any letter case, also with an
// extension and with blanks before it. Such a name is no file in a folder.
bool IsDeviceName(const std::string& fileName);

}  // namespace startup
