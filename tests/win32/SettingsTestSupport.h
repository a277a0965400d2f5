// The settings windows' tests: the program's registry key, a watch on it, the windows opened by their hot keys.
#pragma once

#include <windows.h>

#include <string>

#include "ChatWindowFixture.h"
#include "outside/win32/Handles.h"

namespace wintest {

// Signalled by any change under the program's key after it was made.
class RegistryWatch {
public:
    RegistryWatch();
    bool Changed() const;

private:
    outside::UniqueRegKey key_;
    outside::UniqueHandle event_;
};

// The full path of a section of the program's key ("" is the key itself).
std::wstring SectionKey(const std::string& section);
// A value of the program's key: its REG_DWORD (-1: none), its REG_SZ ("<none>"); raw bytes of any type written.
long long RegDword(const std::string& section, const std::string& name);
std::string RegText(const std::string& section, const std::string& name);
void RegSetRaw(const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size);

// While it lives every store write fails: the key is volatile, so no lasting subkey (ERROR_CHILD_MUST_BE_VOLATILE).
class UnwritableSettings {
public:
    UnwritableSettings();
    ~UnwritableSettings();
    UnwritableSettings(const UnwritableSettings&) = delete;
    UnwritableSettings& operator=(const UnwritableSettings&) = delete;
};

class SettingsWindowFixture : public ChatWindowFixture {
protected:
    explicit SettingsWindowFixture(std::string chatName) : ChatWindowFixture(std::move(chatName)) {}
    void SetUp() override {
        ChatWindowFixture::SetUp();
        Open();
    }
    // F9 or Shift+F9 in the message box, as the user presses them; the window opened.
    HWND OpenGlobal();
    HWND OpenLocal();
};

}  // namespace wintest
