// The platform's colour dialog as an object used once: owner, initial colour,
// the sixteen custom colours in and out as text, a confirm/cancel result and
// the chosen colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/support/CustomColorsText.h"

namespace support {

class ColorDialog {
public:
    ColorDialog();

    void SetOwner(HWND owner) { owner_ = owner; }
    // 0x00BBGGRR.
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color) { color_ = color & 0x00FFFFFF; }
    // The custom colours as FormatCustomColors writes them.
    std::string CustomColorsText() const { return FormatCustomColors(custom_); }
    void LoadCustomColors(const std::string& text) { custom_ = ParseCustomColors(text); }

    // Modal. True when the user confirmed a colour; false when cancelled.
    // Throws RuntimeError when the dialog cannot be shown.
    bool Show();

private:
    HWND owner_ = nullptr;
    uint32_t color_ = 0;
    CustomColors custom_{};
};

}  // namespace support
