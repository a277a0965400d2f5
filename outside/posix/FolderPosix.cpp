#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <cctype>
#include <cstdlib>

#include "../Folder.h"
#include "../Support.h"

namespace outside {
namespace {

// Wine and Samba keep DOS attributes in this extended attribute, as "0x2" and the like.
constexpr const char* kDosAttributes = "user.DOSATTRIB";
constexpr unsigned kHidden = 0x2;
constexpr unsigned kSystem = 0x4;

unsigned DosAttributes(const std::string& path) {
    char value[64] = {};
    const ssize_t n = ::getxattr(path.c_str(), kDosAttributes, value, sizeof value - 1);
    if (n <= 0) return 0;
    return static_cast<unsigned>(std::strtoul(value, nullptr, 0));
}

bool SameExtension(const std::string& name, const std::string& extension) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot - 1 != extension.size()) return false;
    for (size_t i = 0; i < extension.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(name[dot + 1 + i])) !=
            std::toupper(static_cast<unsigned char>(extension[i])))
            return false;
    return true;
}

}  // namespace

std::vector<std::string> ListPlainFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || !SameExtension(name, extension)) continue;
        const std::string path = esBuildFileName2(folder, name);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (DosAttributes(path) & (kHidden | kSystem)) continue;
        names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool HideFile(const std::string& path) noexcept {
    static const char kValue[] = "0x2";
    return ::setxattr(path.c_str(), kDosAttributes, kValue, sizeof kValue - 1, 0) == 0;
}

bool IsFileHidden(const std::string& path) noexcept { return (DosAttributes(path) & kHidden) != 0; }

bool IsFolder(const std::string& path) noexcept {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t FileAgeMilliseconds(const std::string& path) noexcept {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age = (static_cast<int64_t>(now.tv_sec) - st.st_mtim.tv_sec) * 1000 +
                        (now.tv_nsec - st.st_mtim.tv_nsec) / 1000000;
    return age < 0 ? 0 : age;
}

bool GetFileStamp(const std::string& path, FileStamp& stamp) noexcept {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.written = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace outside
