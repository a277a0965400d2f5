// Folder listing and the file attributes the dispatch pass works with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace outside {

// Names of the plain, visible files in folder whose extension is extension
// (letter case ignored): no folders, no hidden or system files. An unreadable
// or missing folder gives an empty list.
std::vector<std::string> ListPlainFiles(const std::string& folder, const std::string& extension);
// Sets exactly the hidden attribute (other attributes are dropped); false on failure.
// On POSIX the attribute lives where Wine and Samba keep it (user.DOSATTRIB).
bool HideFile(const std::string& path) noexcept;
bool IsFileHidden(const std::string& path) noexcept;
// True when path names an existing folder (a chat folder can be taken away).
bool IsFolder(const std::string& path) noexcept;
// Milliseconds since the file was last written; -1 when it cannot be told.
int64_t FileAgeMilliseconds(const std::string& path) noexcept;
// The size and last-write time of a file: one read earlier whose stamp is the
// same has not been written since. False when the file cannot be reached.
struct FileStamp {
    uint64_t size = 0;
    int64_t written = 0;  // in the platform's own units
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
bool GetFileStamp(const std::string& path, FileStamp& stamp) noexcept;

}  // namespace outside
