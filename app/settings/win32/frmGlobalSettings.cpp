#include "frmGlobalSettings.h"

#include <algorithm>
#include <memory>

#include "app/settings/modSettings.h"
#include "app/settings/win32/SettingsSaving.h"
#include "app/settings/win32/SettingsWindowFit.h"
#include "app/support/win32/ColorDialog.h"
#include "outside/SettingsStore.h"
#include "outside/win32/Handles.h"

namespace settings {
namespace {

constexpr wchar_t kClassName[] = L"QuilletGlobalSettings";
constexpr char kCustomColorsSection[] = "Colors";
constexpr char kCustomColorsKey[] = "Custom Colors";

std::unique_ptr<frmGlobalSettings>& Instance() {
    static std::unique_ptr<frmGlobalSettings> instance;
    return instance;
}

}  // namespace

void frmGlobalSettings::Open(HWND owner) {
    auto& instance = Instance();
    if (!instance) instance.reset(new frmGlobalSettings());
    // The object is kept and its window made anew: it is never deleted while
    // one of its handlers might still be on the stack.
    const bool fresh = !instance->IsLoaded();
    if (fresh && !instance->Load(owner)) return;
    instance->Show();
    // The first control once the window is active, as a dialog box starts.
    if (fresh) ::SetFocus(instance->checks_[0]);
}

frmGlobalSettings* frmGlobalSettings::Loaded() {
    auto& instance = Instance();
    return instance && instance->IsLoaded() ? instance.get() : nullptr;
}

bool frmGlobalSettings::Load(HWND owner) {
    Design design;
    design.className = kClassName;
    design.caption = kGlobalSettingsCaption;
    design.clientWidth = kGlobalClientWidth;
    design.clientHeight = kGlobalClientHeight;
    design.owner = owner;
    if (!CreateForm(design)) return false;
    PaintUnderGroupBoxes(Handle());
    CreateControls();
    StandardLoadSteps();  // centred at its final size
    FillFromSettings();
    return true;
}

void frmGlobalSettings::CreateControls() {
    // Creation order is tab order: the switches, the colours, then OK, Cancel, Apply.
    const GlobalLayout design = LayoutGlobalSettings();
    for (size_t i = 0; i < kSwitchCount; ++i)
        checks_[i] = AddCheckBox(kIdFirstSwitch + static_cast<int>(i), ShownSwitchCaption(Switches()[i].caption),
                                 design.switches[i]);
    for (size_t i = 0; i < kColorCount; ++i)
        // The text is never drawn: it names the button for a screen reader.
        colorButtons_[i] = AddControl(L"BUTTON", ColorButtonName(i), WS_TABSTOP | BS_OWNERDRAW, 0,
                                      kIdFirstColor + static_cast<int>(i), design.colors[i]);
    HWND commands[3] = {
        AddButton(kIdGlobalOk, kOkCaption, design.commands[0], true),
        AddButton(kIdGlobalCancel, kCancelCaption, design.commands[1]),
        AddButton(kIdGlobalApply, kApplyCaption, design.commands[2]),
    };
    HWND rowLabels[kColorRowCount];
    for (size_t row = 0; row < kColorRowCount; ++row)
        rowLabels[row] = AddLabel(kIdFirstRowLabel + static_cast<int>(row), ColorRowLabels()[row],
                                  design.rowLabels[row], false, SS_LEFTNOWORDWRAP);
    HWND titleLabel = AddLabel(kIdTitleColumnLabel, kTitleColumnLabel, design.titleLabel, false, SS_CENTER);
    HWND bodyLabel = AddLabel(kIdBodyColumnLabel, kBodyColumnLabel, design.bodyLabel, false, SS_CENTER);

    // A screen font wider than the design's must not cut captions short.
    int switchWidth = 0, labelWidth = 0;
    for (HWND check : checks_) switchWidth = std::max(switchWidth, TextWidthTwips(check) + TwipsX(CheckBoxGlyphPx()));
    for (HWND label : rowLabels) labelWidth = std::max(labelWidth, TextWidthTwips(label));
    const GlobalLayout l = LayoutGlobalSettings(switchWidth, labelWidth);
    if (l.clientWidth == design.clientWidth) return;
    for (size_t i = 0; i < kSwitchCount; ++i) Place(checks_[i], l.switches[i]);
    for (size_t i = 0; i < kColorCount; ++i) Place(colorButtons_[i], l.colors[i]);
    for (size_t i = 0; i < 3; ++i) Place(commands[i], l.commands[i]);
    for (size_t row = 0; row < kColorRowCount; ++row) Place(rowLabels[row], l.rowLabels[row]);
    Place(titleLabel, l.titleLabel);
    Place(bodyLabel, l.bodyLabel);
    ResizeClient(Handle(), PxX(l.clientWidth), PxY(kGlobalClientHeight));
}

void frmGlobalSettings::FillFromSettings() {
    const GlobalSettingsValues values = GlobalValuesFromSettings();
    for (size_t i = 0; i < kSwitchCount; ++i)
        ::SendMessageW(checks_[i], BM_SETCHECK, values.switches[i] ? BST_CHECKED : BST_UNCHECKED, 0);
    colors_ = values.colors;
    for (HWND button : colorButtons_) ::InvalidateRect(button, nullptr, TRUE);
}

void frmGlobalSettings::ApplyToSettings() {
    GlobalSettingsValues values;
    for (size_t i = 0; i < kSwitchCount; ++i)
        values.switches[i] = ::SendMessageW(checks_[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
    values.colors = colors_;
    ApplyGlobalValuesToSettings(values);
}

void frmGlobalSettings::PickColor(size_t index) {
    support::ColorDialog dialog;
    dialog.SetColor(static_cast<uint32_t>(colors_[index]));
    dialog.SetOwner(Handle());
    outside::SettingsStore store;
    dialog.LoadCustomColors(store.ReadString(kCustomColorsSection, kCustomColorsKey, ""));
    if (!dialog.Show()) return;
    colors_[index] = static_cast<int32_t>(dialog.Color());
    if (IsLoaded()) ::InvalidateRect(colorButtons_[index], nullptr, TRUE);
    // The custom colours are kept at once, whatever becomes of the window.
    SaveOrReport([&] { store.WriteString(kCustomColorsSection, kCustomColorsKey, dialog.CustomColorsText()); });
}

void frmGlobalSettings::OnCommand(int id, int code, HWND) {
    if (id >= kIdFirstColor && id < kIdFirstColor + static_cast<int>(kColorCount)) {
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) PickColor(static_cast<size_t>(id - kIdFirstColor));
        return;
    }
    switch (id) {
        case kIdGlobalOk:
            ApplyToSettings();
            // A store that cannot be written keeps the window open, with the reason shown.
            if (SaveOrReport(modSettings::SaveGlobalSettings)) Unload();
            break;
        case kIdGlobalApply:
            ApplyToSettings();
            SaveOrReport(modSettings::SaveGlobalSettings);
            break;
        case kIdGlobalCancel:
            Unload();
            break;
        default:
            break;
    }
}

void frmGlobalSettings::DrawColorButton(const DRAWITEMSTRUCT& item) const {
    const size_t index = static_cast<size_t>(item.CtlID - kIdFirstColor);
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    const outside::UniqueGdiObject brush(::CreateSolidBrush(static_cast<COLORREF>(colors_[index])));
    ::FillRect(item.hDC, &r, static_cast<HBRUSH>(brush.get()));
    if (item.itemState & ODS_FOCUS) {
        ::InflateRect(&r, -2, -2);
        ::DrawFocusRect(item.hDC, &r);
    }
}

LRESULT frmGlobalSettings::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_BUTTON && item->CtlID >= static_cast<UINT>(kIdFirstColor) &&
            item->CtlID < static_cast<UINT>(kIdFirstColor + kColorCount)) {
            DrawColorButton(*item);
            return TRUE;
        }
    }
    return FormBase::HandleMessage(msg, wParam, lParam);
}

}  // namespace settings
