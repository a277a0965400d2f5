// The settings in the registry, read back with the registry API itself: what
// a start of Quillet leaves there, where and how the store writes, and window
// placements on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <regex>

#include "QuilletProcess.h"
#include "WindowTestSupport.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Handles.h"
#include "outside/win32/WindowPlacementWin32.h"
#include "outside/win32/Wide.h"

using outside::SettingsStore;
using outside::W;
using outside::WindowPlacement;

namespace {

const std::wstring kProgramKey = L"Software\\Greyfen Works\\Quillet";

std::wstring SectionKey(const std::string& section) {
    return section.empty() ? kProgramKey : kProgramKey + L"\\" + W(section);
}

// The value's registry type, or nullopt when there is none.
std::optional<DWORD> RegType(const std::string& section, const std::string& name) {
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), W(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                       &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<DWORD> RegDword(const std::string& section, const std::string& name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), W(name).c_str(), RRF_RT_REG_DWORD, nullptr,
                       &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> RegString(const std::string& section, const std::string& name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), W(name).c_str(), RRF_RT_REG_SZ, nullptr, buffer,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void RegSetRaw(const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const outside::UniqueRegKey owner(key);
    ASSERT_EQ(::RegSetValueExW(key, W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

bool LooksLikeGuid(const std::wstring& text) {
    static const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    return std::regex_match(outside::U8(text), guid);
}

// Starts "Quillet.exe /?" from beside this test program, closes its usage box
// and gives the exit code; nullopt when no box showed or the program did not end.
std::optional<DWORD> RunUsage() {
    wintest::QuilletProcess q(L"/?");
    if (!q.Started()) {
        ADD_FAILURE() << "cannot start Quillet.exe: " << ::GetLastError();
        return std::nullopt;
    }
    const HWND box = q.WaitForMessageBox(30000);
    if (!box) {
        ADD_FAILURE() << "the usage box did not show";
        return std::nullopt;
    }
    wintest::CloseMessageBox(box);
    DWORD code = 0;
    if (!q.WaitForExit(30000, &code)) {
        ADD_FAILURE() << "the program did not end after its usage box was closed";
        return std::nullopt;
    }
    return code;
}

struct Expected {
    const char* section;
    const char* key;
    DWORD value;  // REG_DWORD for colours (Long) and switches (Boolean) alike
};

// Every key the start-up load reads, with its default.
const Expected kProgramWide[] = {
    {"", "Send on Enter", 0},
    {"Colors 2", "My Message Title Color", 32768},
    {"Colors 2", "My Message Body Color", 0},
    {"Colors 2", "Other Message Title Color", 16711808},
    {"Colors 2", "Other Message Body Color", 0},
    {"Colors 2", "System Message Title Color", 255},
    {"Colors 2", "System Message Body Color", 0},
    {"Colors 2", "Debug Message Title Color", 8421631},
    {"Colors 2", "Debug Message Body Color", 8421504},
    {"", "iChat Style Plugin", 1},
    {"", "Name on Separate Line", 1},
    {"", "Clear Scrollback on Hide", 1},
    {"", "Clear Scrollback on Overflow", 1},
    {"", "New Style Timestamp", 0},
    {"Logs List", "Sort", 1},
    {"Logs List", "Descending Sort", 1},
    {"Logs List", "Group", 0},
    {"Debug", "Show Debug Messages", 0},
    {"Debug", "Show Message File Names", 0},
    {"Debug", "Send XML Messages", 0},
    {"", "Show Notifications", 1},
};

}  // namespace

TEST(SettingsStartup, FirstStartStoresTheGuidAndEveryDefaultAndLaterStartsKeepTheGuid) {
    // Only a throw-away Wine prefix may lose its settings.
    if (!wintest::UnderWine()) GTEST_SKIP() << "clears the program's registry key: runs under Wine only";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey.c_str());

    ASSERT_EQ(RunUsage(), std::optional<DWORD>(0));
    const std::optional<std::wstring> guid = RegString("", "My GUID");
    ASSERT_TRUE(guid.has_value());
    EXPECT_TRUE(LooksLikeGuid(*guid)) << outside::U8(*guid);
    for (const auto& e : kProgramWide) {
        EXPECT_EQ(RegType(e.section, e.key), std::optional<DWORD>(REG_DWORD)) << e.section << " / " << e.key;
        EXPECT_EQ(RegDword(e.section, e.key), std::optional<DWORD>(e.value)) << e.section << " / " << e.key;
    }
    EXPECT_FALSE(RegType("Colors", "Custom Colors").has_value());
    EXPECT_FALSE(RegType("OFN Paths", "Laste Create File Directory").has_value());
    EXPECT_FALSE(RegType("OFN Paths", "Laste Open File Directory").has_value());

    // A colour with stray high bits and a lost key, as an older or damaged store may hold.
    const DWORD stray = 0xFF00ABCD;
    RegSetRaw("Colors 2", "My Message Title Color", REG_DWORD, &stray, sizeof stray);
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, SectionKey("Debug").c_str(), L"Send XML Messages"),
              ERROR_SUCCESS);

    ASSERT_EQ(RunUsage(), std::optional<DWORD>(0));
    EXPECT_EQ(RegString("", "My GUID"), guid);
    EXPECT_EQ(RegDword("Colors 2", "My Message Title Color"), std::optional<DWORD>(0x0000ABCD));
    EXPECT_EQ(RegDword("Debug", "Send XML Messages"), std::optional<DWORD>(0));
}

TEST(SettingsRegistry, ValuesLieInNestedSubkeysWithTheirRegistryTypes) {
    const std::string section = "Тест " + outside::esGetNewGUID();
    const std::string nested = section + "\\Icon Style\\Tray";
    const std::string chat = "C:\\Чаты\\Семья\\Семья.ZPMFChat";
    SettingsStore store;
    store.WriteString(nested, chat, "Анна");
    store.WriteLong(nested, chat + "#long", -1);
    store.WriteBoolean(nested, chat + "#true", true);
    store.WriteBoolean(nested, chat + "#false", false);
    store.WriteString("", chat + section, "in the program's own key");

    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (kProgramKey + L"\\" + W(section) + L"\\Icon Style\\Tray").c_str(), 0,
                              KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS)
        << "a backslash in a section nests subkeys";
    ::RegCloseKey(key);
    EXPECT_EQ(RegType(nested, chat), std::optional<DWORD>(REG_SZ));
    EXPECT_EQ(RegString(nested, chat), std::optional<std::wstring>(L"Анна"));
    EXPECT_EQ(RegDword(nested, chat + "#long"), std::optional<DWORD>(0xFFFFFFFF));
    EXPECT_EQ(RegDword(nested, chat + "#true"), std::optional<DWORD>(1));
    EXPECT_EQ(RegDword(nested, chat + "#false"), std::optional<DWORD>(0));
    EXPECT_EQ(RegString("", chat + section), std::optional<std::wstring>(L"in the program's own key"));

    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey(section).c_str());
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgramKey.c_str(), W(chat + section).c_str());
}

TEST(SettingsRegistry, ValuesOfOtherRegistryTypesReadAsTheDefault) {
    const std::string section = "Тест " + outside::esGetNewGUID();
    const BYTE four[4] = {1, 0, 0, 0};
    const uint64_t qword = 1;
    const wchar_t expand[] = L"%TEMP%";
    const wchar_t multi[] = L"a\0b\0";
    const WORD shortDword = 1;
    RegSetRaw(section, "binary", REG_BINARY, four, sizeof four);
    RegSetRaw(section, "qword", REG_QWORD, &qword, sizeof qword);
    RegSetRaw(section, "expand", REG_EXPAND_SZ, expand, sizeof expand);
    RegSetRaw(section, "multi", REG_MULTI_SZ, multi, sizeof multi);
    RegSetRaw(section, "short dword", REG_DWORD, &shortDword, sizeof shortDword);
    RegSetRaw(section, "big endian", REG_DWORD_BIG_ENDIAN, four, sizeof four);

    SettingsStore store;
    for (const char* name : {"binary", "qword", "expand", "multi", "short dword", "big endian"}) {
        EXPECT_EQ(store.ReadString(section, name, "default"), "default") << name;
        EXPECT_EQ(store.ReadLong(section, name, -5), -5) << name;
        EXPECT_FALSE(store.ReadBoolean(section, name, false)) << name;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey(section).c_str());
}

namespace {

struct PlacementFixture : ::testing::Test {
    void SetUp() override {
        window.reset(::CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 40, 50, 400, 300, nullptr,
                                       nullptr, ::GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(window.valid());
    }
    RECT Normal() const {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        ::GetWindowPlacement(window.get(), &wp);
        return wp.rcNormalPosition;
    }
    void MoveTo(int x, int y, int width, int height) {
        ::SetWindowPos(window.get(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT WorkArea() const {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoW(::MonitorFromWindow(window.get(), MONITOR_DEFAULTTONEAREST), &info);
        return info.rcWork;
    }

    outside::UniqueWindow window;
    SettingsStore store;
    const std::string chatA = "C:\\Чаты\\" + outside::esGetNewGUID() + "\\a.ZPMFChat";
    const std::string chatB = "C:\\Чаты\\" + outside::esGetNewGUID() + "\\b.ZPMFChat";
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

TEST_F(PlacementFixture, EachWindowAndChatGetsBackItsOwnPlacement) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    const RECT untouched = Normal();
    EXPECT_FALSE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get()));
    EXPECT_TRUE(SameRect(Normal(), untouched));

    MoveTo(60, 70, 420, 310);
    const RECT chatWindowA = Normal();
    outside::SaveWindowPlacement(store, chatA, "frmChat", window.get());
    MoveTo(200, 150, 300, 200);
    const RECT viewerA = Normal();
    outside::SaveWindowPlacement(store, chatA, "frmLogs", window.get());
    MoveTo(120, 90, 350, 250);
    const RECT chatWindowB = Normal();
    outside::SaveWindowPlacement(store, chatB, "frmChat", window.get());

    const struct {
        const std::string& key;
        const char* name;
        const RECT& expected;
    } cases[] = {{chatA, "frmChat", chatWindowA}, {chatA, "frmLogs", viewerA}, {chatB, "frmChat", chatWindowB}};
    for (const auto& c : cases) {
        MoveTo(10, 10, 150, 120);
        ASSERT_TRUE(outside::RestoreWindowPlacement(store, c.key, c.name, window.get())) << c.name;
        EXPECT_TRUE(SameRect(Normal(), c.expected)) << c.name << ": " << Text(Normal()) << " != " << Text(c.expected);
    }
    EXPECT_FALSE(outside::RestoreWindowPlacement(store, chatB, "frmLogs", window.get()));
}

TEST_F(PlacementFixture, APlacementOffEveryMonitorComesBackIntoView) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    const RECT work = WorkArea();
    const struct {
        WindowPlacement stored;
        LONG width, height;  // 0: the work area's
    } cases[] = {
        {{5000, 5000, 5400, 5300, false}, 400, 300},
        {{-3000, 100, -2600, 400, false}, 400, 300},
        {{-100, -100, 9000, 9000, false}, 0, 0},
    };
    for (const auto& c : cases) {
        store.SaveWindowPlacement("", chatA, "frmOff", c.stored);
        ASSERT_TRUE(outside::RestoreWindowPlacement(store, chatA, "frmOff", window.get()));
        RECT r{};
        ::GetWindowRect(window.get(), &r);
        EXPECT_GE(r.left, work.left) << Text(r);
        EXPECT_GE(r.top, work.top) << Text(r);
        EXPECT_LE(r.right, work.right) << Text(r);
        EXPECT_LE(r.bottom, work.bottom) << Text(r);
        EXPECT_EQ(r.right - r.left, c.width ? c.width : work.right - work.left) << Text(r);
        EXPECT_EQ(r.bottom - r.top, c.height ? c.height : work.bottom - work.top) << Text(r);
    }
}

TEST_F(PlacementFixture, TheMaximizedStateIsKeptAndAHiddenWindowStaysHidden) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    MoveTo(70, 80, 360, 260);
    const RECT normal = Normal();
    ::ShowWindow(window.get(), SW_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(window.get()));
    outside::SaveWindowPlacement(store, chatA, "frmChat", window.get());
    WindowPlacement stored;
    ASSERT_TRUE(store.RestoreWindowPlacement("", chatA, "frmChat", stored));
    EXPECT_TRUE(stored.maximized);
    EXPECT_TRUE(SameRect({stored.left, stored.top, stored.right, stored.bottom}, normal)) << "the normal rectangle";

    ::ShowWindow(window.get(), SW_HIDE);
    ::ShowWindow(window.get(), SW_RESTORE);
    ::ShowWindow(window.get(), SW_HIDE);
    int show = 0;
    ASSERT_TRUE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get(), &show));
    EXPECT_FALSE(::IsWindowVisible(window.get()));
    EXPECT_EQ(show, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(SameRect(Normal(), normal));

    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    ASSERT_TRUE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get(), &show));
    EXPECT_TRUE(::IsZoomed(window.get()));
}
