// Windows side of the support functions: wide-character calls throughout.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#define SECURITY_WIN32
#include <security.h>

#include <vector>

#include "../Support.h"
#include "../TextFile.h"
#include "Handles.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
char PathSeparator() { return '\\'; }

bool esIsFileExist(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string esGetFullFileName(const std::string& path, bool) {
    if (path.empty()) return {};
    const std::wstring wide = W(path);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return {};
        if (n < buffer.size()) return U8(std::wstring_view(buffer.data(), n));
        buffer.resize(n + 1);
    }
}

std::string esGetSpecialFolder(int folderId) {
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT hr = ::SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (FAILED(hr)) throw ComError(hr, "SHGetFolderPath(" + std::to_string(folderId) + ")");
    return U8(buffer);
}

std::string esGetModuleFileName(int, bool) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) throw LastError();
        if (n < buffer.size()) return U8(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string esGetTempFileName2(const std::string& folder, const std::string& prefix) {
    std::wstring dir = W(folder);
    if (dir.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        if (!::GetTempPathW(MAX_PATH + 1, temp)) throw LastError();
        dir = temp;
    }
    wchar_t name[MAX_PATH] = {};
    if (!::GetTempFileNameW(dir.c_str(), W(prefix).c_str(), 0, name)) throw LastError(U8(dir));
    return U8(name);
}

std::string asGetTempFileName2(const std::string& folder, const std::string& prefix) {
    return esGetTempFileName2(folder, prefix);
}

uint64_t esGetFileSizeEx(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) throw LastError(path);
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void esRegisterAppPath() {
    // Lets "Quillet" be started from the Run box; nothing depends on it, so failures are passed over.
    try {
        const std::string exe = esGetModuleFileName();
        const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + W(esGetFileName(exe));
        HKEY raw = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) !=
            ERROR_SUCCESS)
            return;
        UniqueRegKey k(raw);
        const std::wstring path = W(exe);
        const std::wstring folder = W(esGetFilePath(exe));
        ::RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                         static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        ::RegSetValueExW(k.get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    } catch (const RuntimeError&) {
    }
}

std::string esGetNewGUID() {
    GUID guid{};
    const HRESULT hr = ::CoCreateGuid(&guid);
    if (FAILED(hr)) throw ComError(hr, "CoCreateGuid");
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return U8(text);
}

std::string esGetFullUserName(int, int) {
    wchar_t buffer[512] = {};
    ULONG size = 512;
    if (::GetUserNameExW(NameDisplay, buffer, &size) && size > 0) {
        const std::string name = asTrimEx(U8(buffer));
        if (!name.empty()) return name;
    }
    DWORD plain = 512;
    if (::GetUserNameW(buffer, &plain)) return U8(buffer);
    return {};
}

std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return U8(wide);
}

}  // namespace outside
