// What the program settings window shows and edits, kept apart from the window
// so it can be tested anywhere: the thirteen switches and eight colours with
// their captions and variables, the design in twips, and the copy between the
// window's controls and the setting variables.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/settings/SettingsButtons.h"
#include "app/support/FormDesign.h"

namespace settings {

using support::TwipsRect;

inline constexpr char kGlobalSettingsCaption[] = "Настройки программы";
inline constexpr int kGlobalClientWidth = 6015;
// One switch row taller than the design's 7095: "Show Notifications" comes
// under the twelve, and what stood below them moves down by that row.
inline constexpr int kGlobalSwitchPitch = 360;
inline constexpr int kGlobalClientHeight = 7095 + kGlobalSwitchPitch;

inline constexpr size_t kSwitchCount = 13;
inline constexpr size_t kColorCount = 8;
inline constexpr size_t kColorRowCount = 4;

// One check box: its control name, its caption as designed, its variable.
struct SwitchControl {
    const char* name;
    const char* caption;
    bool* setting;
};
// In tab order, top to bottom.
const std::array<SwitchControl, kSwitchCount>& Switches();
// The index of chkClearScrollbackOnOverflow, whose caption carries "%1".
inline constexpr size_t kOverflowSwitch = 5;
// A designed caption as shown: every "%1" becomes the overflow count.
std::string ShownSwitchCaption(const std::string& designed);

// One colour button: its control name and its variable. Tab order: the title
// and body colour of mine, other participants', system and debug messages.
struct ColorControl {
    const char* name;
    int32_t* setting;
};
const std::array<ColorControl, kColorCount>& Colors();
// lblTag: the row labels, then the column labels "Заголовок" and "Текст".
const std::array<const char*, kColorRowCount>& ColorRowLabels();
inline constexpr char kTitleColumnLabel[] = "Заголовок";
inline constexpr char kBodyColumnLabel[] = "Текст";
// A colour button's name for assistive technology: its row and its column,
// "Мои сообщения, заголовок".
std::string ColorButtonName(size_t index);

// Where the controls go. With no widths given, the design itself; given the
// widest check box (its caption and box) and the widest row label as the
// screen's font draws them, the window grows so that none is cut short: the
// colour columns move right of the labels, the buttons keep to the right edge.
struct GlobalLayout {
    int clientWidth = 0;
    std::array<TwipsRect, kSwitchCount> switches{};
    // Colour i sits in row i / 2, the title column for even i, the body column for odd.
    std::array<TwipsRect, kColorCount> colors{};
    std::array<TwipsRect, kColorRowCount> rowLabels{};
    TwipsRect titleLabel{}, bodyLabel{};
    std::array<TwipsRect, 3> commands{};  // by CommandButton
};
GlobalLayout LayoutGlobalSettings(int switchWidth = 0, int rowLabelWidth = 0);
inline constexpr int kGlobalCommandTop = 6540 + kGlobalSwitchPitch;

// The edit buffer of the window: check box values (true = ticked) and the
// colour buttons' background colours.
struct GlobalSettingsValues {
    std::array<bool, kSwitchCount> switches{};
    std::array<int32_t, kColorCount> colors{};
    friend bool operator==(const GlobalSettingsValues&, const GlobalSettingsValues&) = default;
};
GlobalSettingsValues GlobalValuesFromSettings();
void ApplyGlobalValuesToSettings(const GlobalSettingsValues& values);

// Control ids of the window.
enum GlobalControlId : int {
    kIdFirstSwitch = 100,                           // + switch index
    kIdFirstColor = kIdFirstSwitch + kSwitchCount,  // + colour index
    kIdFirstRowLabel = 200,                         // lblTag, + row
    kIdTitleColumnLabel = kIdFirstRowLabel + kColorRowCount,
    kIdBodyColumnLabel,
    kIdGlobalOk = 1,  // IDOK and IDCANCEL, as a dialog box has them
    kIdGlobalCancel = 2,
    kIdGlobalApply = 300,
};

}  // namespace settings
