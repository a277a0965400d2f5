#include "FileDialogLogic.h"

#include <cctype>

#include "outside/Support.h"

namespace support {

std::vector<FilterEntry> SplitFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string_view::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::vector<FilterEntry> entries;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty() && !parts[i + 1].empty()) entries.push_back({std::string(parts[i]), std::string(parts[i + 1])});
    return entries;
}

std::string WithDefaultExtensionCase(const std::string& path, std::string_view defaultExtension) {
    if (defaultExtension.empty() || path.size() <= defaultExtension.size()) return path;
    const size_t dot = path.size() - defaultExtension.size() - 1;
    if (path[dot] != '.') return path;
    const char before = dot > 0 ? path[dot - 1] : '\\';
    if (before == '\\' || before == '/') return path;  // ".ext" alone is a name, not an extension
    for (size_t i = 0; i < defaultExtension.size(); ++i) {
        const auto a = static_cast<unsigned char>(path[dot + 1 + i]);
        const auto b = static_cast<unsigned char>(defaultExtension[i]);
        if (std::tolower(a) != std::tolower(b)) return path;
    }
    return path.substr(0, dot + 1) + std::string(defaultExtension);
}

std::vector<std::string> MultiSelectPaths(const std::vector<std::string>& parts) {
    if (parts.size() <= 1) return parts;
    std::vector<std::string> paths;
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(outside::esBuildFileName2(parts[0], parts[i]));
    return paths;
}

}  // namespace support
