#include "CustomColorsText.h"

#include <cstdio>

#include "outside/Support.h"

namespace support {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// "#RRGGBB" to 0x00BBGGRR; false for anything else.
bool ParseEntry(std::string_view entry, uint32_t& color) {
    entry = TrimBlanks(entry);
    if (entry.size() != 7 || entry[0] != '#') return false;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int digit = outside::HexDigitValue(entry[i]);
        if (digit < 0) return false;
        rgb = rgb << 4 | static_cast<uint32_t>(digit);
    }
    const uint32_t red = rgb >> 16 & 0xFF, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
    color = blue << 16 | green << 8 | red;
    return true;
}

}  // namespace

std::string FormatCustomColors(const CustomColors& colors) {
    std::string text;
    for (size_t i = 0; i < colors.size(); ++i) {
        const uint32_t c = colors[i];
        char entry[8];
        std::snprintf(entry, sizeof entry, "#%02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        if (i) text += ',';
        text += entry;
    }
    return text;
}

CustomColors ParseCustomColors(std::string_view text) {
    CustomColors colors;
    colors.fill(kUnsetCustomColor);
    size_t index = 0;
    while (index < colors.size() && !text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view entry = text.substr(0, comma);
        uint32_t color = 0;
        if (ParseEntry(entry, color)) colors[index] = color;
        ++index;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return colors;
}

}  // namespace support
