#include <windows.h>

#include "../ChatFolderListing.h"
#include "outside/Support.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

namespace exchange {

std::optional<ChatFolderListing> ListChatFolder(const std::string& folder) {
    ChatFolderListing listing;
    const std::wstring pattern = outside::W(outside::esBuildFileName2(folder, "*"));
    WIN32_FIND_DATAW data{};
    // Basic information and large fetches: a share of thousands of files is listed in few round trips.
    outside::UniqueFindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                                      nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return listing;  // an empty root
        return std::nullopt;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            AddToListing(listing, outside::U8(data.cFileName));
    } while (::FindNextFileW(find.get(), &data));
    return listing;
}

bool IsNetworkFolder(const std::string& folder) {
    std::wstring path = outside::W(folder);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    // "\\?\UNC\server\share" and "\\server\share"; "\\?\C:\" is a local path in long form.
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return true;
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        path.erase(0, 4);
    else if (path.rfind(L"\\\\", 0) == 0)
        return true;
    wchar_t root[MAX_PATH + 1] = {};
    if (path.size() >= 2 && path[1] == L':') {
        // A drive letter's root needs no trip to the disk.
        root[0] = path[0];
        root[1] = L':';
        root[2] = L'\\';
    } else if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH)) {
        return false;
    }
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace exchange
