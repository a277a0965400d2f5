// The settings store in the registry: one subkey per section under the
// program's key, the key as the value name, texts as REG_SZ and numbers as
// REG_DWORD. A value of another registry type is as good as none.
#include <windows.h>

#include <vector>

#include "../SettingsStore.h"
#include "Handles.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

constexpr wchar_t kProgramKey[] = L"Software\\Greyfen Works\\Quillet";

std::wstring SectionKeyPath(const std::string& section) {
    std::wstring path = kProgramKey;
    if (!section.empty()) path += L"\\" + W(section);
    return path;
}

// Null when the section does not exist (or cannot be opened for reading).
UniqueRegKey OpenSection(const std::string& section) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionKeyPath(section).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return UniqueRegKey();
    return UniqueRegKey(key);
}

UniqueRegKey CreateSection(const std::string& section) {
    HKEY key = nullptr;
    const LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKeyPath(section).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) throw Win32Error(static_cast<DWORD>(rc), SettingsStoreLocation() + "\\" + section);
    return UniqueRegKey(key);
}

void SetValue(const std::string& section, const std::string& key, DWORD type, const void* data, size_t size) {
    const UniqueRegKey hkey = CreateSection(section);
    const LONG rc = ::RegSetValueExW(hkey.get(), W(key).c_str(), 0, type, static_cast<const BYTE*>(data),
                                     static_cast<DWORD>(size));
    if (rc != ERROR_SUCCESS)
        throw Win32Error(static_cast<DWORD>(rc), SettingsStoreLocation() + "\\" + section + " : " + key);
}

}  // namespace

std::string SettingsStoreLocation() { return "HKEY_CURRENT_USER\\" + U8(kProgramKey); }

std::optional<std::string> SettingsStore::LoadText(const std::string& section, const std::string& key) {
    const UniqueRegKey hkey = OpenSection(section);
    if (!hkey) return std::nullopt;
    const std::wstring name = W(key);
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG rc = ::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
        // Taken by its size, so embedded U+0000 survive; one terminator, if any, goes.
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        return U8(text);
    }
}

std::optional<int32_t> SettingsStore::LoadNumber(const std::string& section, const std::string& key) {
    const UniqueRegKey hkey = OpenSection(section);
    if (!hkey) return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG rc =
        ::RegQueryValueExW(hkey.get(), W(key).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
    return static_cast<int32_t>(value);
}

void SettingsStore::StoreText(const std::string& section, const std::string& key, const std::string& value) {
    const std::wstring text = W(value);
    SetValue(section, key, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void SettingsStore::StoreNumber(const std::string& section, const std::string& key, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    SetValue(section, key, REG_DWORD, &data, sizeof data);
}

}  // namespace outside
