#include "modCreateComplexDirectory.h"

#include <algorithm>
#include <cctype>

#include "outside/Support.h"

namespace modCreateComplexDirectory {
namespace {

// The levels of a text whose separators are collapsed and trimmed.
std::vector<std::string> SplitLevels(std::string_view rest, char separator) {
    std::vector<std::string> names;
    while (!rest.empty()) {
        const size_t at = rest.find(separator);
        names.emplace_back(rest.substr(0, at));
        rest.remove_prefix(at == std::string_view::npos ? rest.size() : at + 1);
    }
    return names;
}

// "[A-Z]:\" after upper-casing.
bool IsDriveRoot(std::string_view text) {
    if (text.size() < 3) return false;
    const int letter = std::toupper(static_cast<unsigned char>(text[0]));
    return letter >= 'A' && letter <= 'Z' && text[1] == ':' && text[2] == '\\';
}

}  // namespace

std::string StripTrailingBackslashes(std::string_view text) {
    while (!text.empty() && text.back() == '\\') text.remove_suffix(1);
    return std::string(text);
}

std::string StripLeadingBackslashes(std::string_view text) {
    while (!text.empty() && text.front() == '\\') text.remove_prefix(1);
    return std::string(text);
}

std::string CollapseBackslashes(std::string_view text) {
    std::string out(text);
    for (size_t at; (at = out.find("\\\\")) != std::string::npos;) out.erase(at, 1);
    return out;
}

std::string MakeLongPath(std::string_view path, bool network) {
    std::string out = network ? "\\\\?\\UNC\\" : "\\\\?\\";
    out.append(network ? path.substr(std::min<size_t>(2, path.size())) : path);
    return out;
}

std::optional<DirectoryLevels> SplitWindowsPath(const std::string& path, const FullNameFunction& fullName) {
    std::string full = path;
    std::replace(full.begin(), full.end(), '/', '\\');
    // Made full before the trailing backslash goes: "C:" alone would name the
    // drive's current folder, not its root.
    full = StripTrailingBackslashes(fullName(full));
    if (full.empty()) return std::nullopt;

    DirectoryLevels levels;
    std::string root;
    std::string rest;
    if (full.compare(0, 2, "\\\\") == 0) {
        rest = StripLeadingBackslashes(full);
        size_t at = rest.find('\\');
        if (rest.empty() || at == std::string::npos) return std::nullopt;
        root.assign("\\\\").append(rest, 0, at);
        rest = StripLeadingBackslashes(std::string_view(rest).substr(at + 1));
        at = rest.find('\\');
        if (at == std::string::npos) return std::nullopt;  // nothing below the share
        root.append("\\").append(rest, 0, at);
        rest = StripLeadingBackslashes(std::string_view(rest).substr(at + 1));
        levels.network = true;
    } else {
        if (!IsDriveRoot(full)) return std::nullopt;
        root = full.substr(0, 2);
        rest = StripLeadingBackslashes(std::string_view(full).substr(2));
    }

    const std::vector<std::string> names = SplitLevels(CollapseBackslashes(rest), '\\');
    if (names.empty()) return std::nullopt;
    std::string current = root;
    for (const std::string& name : names) {
        current.append("\\").append(name);
        levels.paths.push_back(current);
    }
    return levels;
}

std::optional<DirectoryLevels> SplitPosixPath(const std::string& path, const FullNameFunction& fullName) {
    const std::string full = fullName(path);
    if (full.empty() || full[0] != '/') return std::nullopt;
    std::string rest = full;
    // Collapse and trim the separators, as the Windows grammar does.
    for (size_t at; (at = rest.find("//")) != std::string::npos;) rest.erase(at, 1);
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    const std::vector<std::string> names = SplitLevels(rest, '/');
    if (names.empty()) return std::nullopt;
    DirectoryLevels levels;
    std::string current;
    for (const std::string& name : names) {
        current.append("/").append(name);
        levels.paths.push_back(current);
    }
    return levels;
}

bool CreateComplexDirectory(const std::string& path, bool longPaths) {
    const auto fullName = [](const std::string& p) { return outside::esGetFullFileName(p, true); };
    const std::optional<DirectoryLevels> levels =
        outside::PathSeparator() == '\\' ? SplitWindowsPath(path, fullName) : SplitPosixPath(path, fullName);
    if (!levels) return false;
    for (const std::string& level : levels->paths) {
        if (IsExistingDirectory(level, levels->network, longPaths)) continue;
        // Another program may have made it in the meantime: that is success too.
        if (!CreateOneDirectory(level, levels->network, longPaths) &&
            !IsExistingDirectory(level, levels->network, longPaths))
            return false;
    }
    return true;
}

}  // namespace modCreateComplexDirectory
