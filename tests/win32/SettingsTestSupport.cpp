#include "SettingsTestSupport.h"

#include "WindowTestSupport.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "outside/win32/Wide.h"

#include <gtest/gtest.h>

namespace wintest {
namespace {
const wchar_t kProgramKey[] = L"Software\\Greyfen Works\\Quillet";
}  // namespace

std::wstring SectionKey(const std::string& section) {
    return section.empty() ? kProgramKey : std::wstring(kProgramKey) + L"\\" + outside::W(section);
}

RegistryWatch::RegistryWatch() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, 0, KEY_NOTIFY | KEY_READ, nullptr, &key, nullptr);
    key_.reset(key);
    ::RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event_.get(), TRUE);
}

UnwritableSettings::UnwritableSettings() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    const outside::UniqueRegKey owner(key);
}

UnwritableSettings::~UnwritableSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey); }

bool RegistryWatch::Changed() const { return ::WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

void RegSetRaw(const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const outside::UniqueRegKey owner(key);
    ASSERT_EQ(::RegSetValueExW(key, outside::W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

long long RegDword(const std::string& section, const std::string& name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), outside::W(name).c_str(), RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return -1;
    return value;
}

std::string RegText(const std::string& section, const std::string& name) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), outside::W(name).c_str(), RRF_RT_REG_SZ,
                       nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<none>";
    return outside::U8(buffer);
}

namespace {
HWND PressF9(chatwindow::frmMain* form, bool shift) {
    PressKey(form->MessageInput(), VK_F9, 0, shift);
    support::FormBase* window = shift ? static_cast<support::FormBase*>(settings::frmLocalSettings::Loaded())
                                      : static_cast<support::FormBase*>(settings::frmGlobalSettings::Loaded());
    return window ? window->Handle() : nullptr;
}
}  // namespace

HWND SettingsWindowFixture::OpenGlobal() { return PressF9(form, false); }
HWND SettingsWindowFixture::OpenLocal() { return PressF9(form, true); }

}  // namespace wintest
