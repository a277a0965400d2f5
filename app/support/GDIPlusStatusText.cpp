#include "GDIPlusStatusText.h"

#include <array>

namespace modGDIPlusLoadAndSave {

std::string GDIPlusStatusText(long status) {
    // Indexed by the status code. The texts are the program's own, typo included.
    static constexpr std::array<const char*, 21> kTexts = {
        "Unknown error",          "Generic error",         "Invalid parameter",
        "Invalid picture",        "Object busy",           "Insufficient buffer",
        "Not implemented",        "Win32 error",           "Wrong state",
        "Operation was aborted",  "File not found",        "Value overflow",
        "Accedd denied",          "Unknown image format",  "Font family not found",
        "Font style not found",   "Not a TrueType font",   "Unsupported library version",
        "Library not initialized", "Property not found",   "Property not supported",
    };
    if (status >= 0 && status < static_cast<long>(kTexts.size())) return kTexts[static_cast<size_t>(status)];
    return "Unknown error " + std::to_string(status);
}

}  // namespace modGDIPlusLoadAndSave
