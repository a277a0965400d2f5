// Creates a directory together with every missing directory above it.
//
// On Windows a path is a drive path (C:\...) or a network path
// (\\server\share\...), absolute or relative, with "/" or "\" between levels
// and trailing separators allowed; it must name at least one directory below
// the drive root or the share. On POSIX it is any path that is absolute once
// made full ("/a/b/c"), and must name at least one directory below "/".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modCreateComplexDirectory {

// True when every level exists as a directory at the end (there already or
// made now); false for a path that cannot be parsed and when a level cannot be
// made (the levels made up to then stay). With longPaths, Windows calls get
// the "\\?\" (or "\\?\UNC\") prefix.
bool CreateComplexDirectory(const std::string& path, bool longPaths);

// ---- The parts, open to their tests ------------------------------------------

std::string StripTrailingBackslashes(std::string_view text);
std::string StripLeadingBackslashes(std::string_view text);
// "\\" becomes "\" until none is left.
std::string CollapseBackslashes(std::string_view text);
// network: "\\?\UNC\" + the path without its first two characters; else "\\?\" + the path.
std::string MakeLongPath(std::string_view path, bool network);

// The directories to check or make, outermost first.
struct DirectoryLevels {
    std::vector<std::string> paths;
    bool network = false;
};
using FullNameFunction = std::function<std::string(const std::string&)>;

// The Windows grammar; fullName makes a path absolute (empty when it cannot).
// nullopt for a path that cannot be parsed or names only a root or a share.
std::optional<DirectoryLevels> SplitWindowsPath(const std::string& path, const FullNameFunction& fullName);
// The POSIX grammar: "/" between levels; nullopt unless absolute below "/".
std::optional<DirectoryLevels> SplitPosixPath(const std::string& path, const FullNameFunction& fullName);

// ---- The file-system part (one call each, per platform) ----------------------

// True only when the attributes can be read and say directory.
bool IsExistingDirectory(const std::string& path, bool network, bool longPaths);
bool CreateOneDirectory(const std::string& path, bool network, bool longPaths);

}  // namespace modCreateComplexDirectory
