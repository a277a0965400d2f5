// What the file dialog object decides without a window: the filter text split
// into the name and pattern pairs the common dialogs take, and the letter case
// of a default extension the dialog added to a bare name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace support {

struct FilterEntry {
    std::string name;     // "Файлы чата"
    std::string pattern;  // "*.ZPMFChat"
    friend bool operator==(const FilterEntry&, const FilterEntry&) = default;
};

// "Name|Pattern|Name|Pattern": pairs in order. A name without a pattern, and
// an entry with an empty name or pattern, is left out.
std::vector<FilterEntry> SplitFilter(std::string_view filter);

// A path whose extension is defaultExtension in another letter case gets it
// exactly as given ("Беседа.zpmfchat" -> "Беседа.ZPMFChat"): some dialogs
// add the default extension in lower case. Other paths stay as they are.
std::string WithDefaultExtensionCase(const std::string& path, std::string_view defaultExtension);

// What an open dialog that takes several files returned, split at its NULs:
// one full path, or the folder followed by the names chosen in it.
std::vector<std::string> MultiSelectPaths(const std::vector<std::string>& parts);

}  // namespace support
