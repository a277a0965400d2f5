#include <windows.h>

#include <cwctype>

#include "../Folder.h"
#include "../Support.h"
#include "Handles.h"
#include "Wide.h"

namespace outside {
namespace {

bool SameExtension(const std::wstring& name, const std::wstring& extension) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || name.size() - dot - 1 != extension.size()) return false;
    for (size_t i = 0; i < extension.size(); ++i)
        if (std::towupper(name[dot + 1 + i]) != std::towupper(extension[i])) return false;
    return true;
}

}  // namespace

std::vector<std::string> ListPlainFiles(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    const std::wstring pattern = W(esBuildFileName2(folder, "*." + extension));
    const std::wstring wideExtension = W(extension);
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return names;
    do {
        constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        // The wildcard also matches short 8.3 names; check the long name's extension ourselves.
        if (!(data.dwFileAttributes & kNotPlain) && SameExtension(data.cFileName, wideExtension))
            names.push_back(U8(data.cFileName));
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

bool HideFile(const std::string& path) noexcept {
    try {
        return ::SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_HIDDEN) != FALSE;
    } catch (...) {
        return false;
    }
}

bool IsFolder(const std::string& path) noexcept {
    try {
        const DWORD attributes = ::GetFileAttributesW(W(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } catch (...) {
        return false;
    }
}

bool IsFileHidden(const std::string& path) noexcept {
    try {
        const DWORD attributes = ::GetFileAttributesW(W(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
    } catch (...) {
        return false;
    }
}

int64_t FileAgeMilliseconds(const std::string& path) noexcept {
    try {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) return -1;
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        const auto ticks = [](const FILETIME& ft) {
            return (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        };
        const int64_t age = (ticks(now) - ticks(data.ftLastWriteTime)) / 10000;
        return age < 0 ? 0 : age;
    } catch (...) {
        return -1;
    }
}

bool GetFileStamp(const std::string& path, FileStamp& stamp) noexcept {
    try {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) return false;
        stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.written = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace outside
