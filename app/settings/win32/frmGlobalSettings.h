// The program settings window: thirteen switches and the eight message colours,
// edited in the window and written to the store by OK and Apply. One instance,
// modeless over the chat window, filled from the settings each time it loads.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "app/settings/GlobalSettingsLogic.h"
#include "app/support/win32/FormBase.h"

namespace settings {

class frmGlobalSettings final : public support::FormBase {
public:
    // Shows the window over its owner; loads it first when it is not loaded.
    static void Open(HWND owner);
    // The window object while its window is loaded, else null.
    static frmGlobalSettings* Loaded();

    void FillFromSettings();
    void ApplyToSettings();
    // The colour dialog for colour button index (0..7, tab order).
    void PickColor(size_t index);
    // The colour button's background colour (0x00BBGGRR).
    int32_t ButtonColor(size_t index) const { return colors_[index]; }

protected:
    void OnCommand(int id, int code, HWND control) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    frmGlobalSettings() = default;
    bool Load(HWND owner);
    void CreateControls();
    void DrawColorButton(const DRAWITEMSTRUCT& item) const;

    std::array<HWND, kSwitchCount> checks_{};
    std::array<HWND, kColorCount> colorButtons_{};
    std::array<int32_t, kColorCount> colors_{};
};

}  // namespace settings
