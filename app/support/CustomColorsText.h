// The colour dialog's sixteen custom colours as one line of text, the form in
// which the settings keep them: "#RRGGBB" sixteen times, joined by commas.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace support {

inline constexpr size_t kCustomColorCount = 16;
// An unused custom colour slot, as the dialog shows it.
inline constexpr uint32_t kUnsetCustomColor = 0x00FFFFFF;

// Colours are 0x00BBGGRR; the high byte is dropped.
using CustomColors = std::array<uint32_t, kCustomColorCount>;

std::string FormatCustomColors(const CustomColors& colors);
// Reads what FormatCustomColors wrote. Entries that are missing or not of the
// form "#RRGGBB" (blanks around allowed) stay unset; entries past sixteen are
// ignored, so a damaged text never fails the dialog.
CustomColors ParseCustomColors(std::string_view text);

}  // namespace support
