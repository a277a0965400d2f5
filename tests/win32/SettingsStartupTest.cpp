// The settings in the registry, read back with the registry API itself (what a start leaves there, where and
// how the store writes), and window placements on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <regex>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/win32/Handles.h"
#include "outside/win32/WindowPlacementWin32.h"
#include "outside/win32/Wide.h"

using outside::SettingsStore;
using outside::W;
using outside::WindowPlacement;

using wintest::RegDword;
using wintest::RegSetRaw;
using wintest::RegText;
using wintest::SectionKey;

TEST(SettingsStartup, FirstStartStoresTheGuidAndTheDefaultsInTheRegistry) {
    // Only a throw-away Wine prefix may lose its settings.
    if (!wintest::UnderWine()) GTEST_SKIP() << "clears the program's registry key: runs under Wine only";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey("").c_str());

    wintest::QuilletProcess usage(L"/?");  // a start that only shows its usage box
    const HWND box = usage.Started() ? usage.WaitForMessageBox(30000) : nullptr;
    ASSERT_NE(box, nullptr);
    wintest::CloseMessageBox(box);
    DWORD code = 1;
    ASSERT_TRUE(usage.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    const std::string guid = RegText("", "My GUID");
    EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
        << guid;
    // The defaults and their names are the native settings suite's; here that a start stores them as REG_DWORD.
    EXPECT_EQ(RegDword("", "Clear Scrollback on Hide"), 1);
    EXPECT_EQ(RegDword("Colors 2", "Debug Message Title Color"), 8421631);
    const std::pair<const char*, const char*> unset[] = {{"Colors", "Custom Colors"},
                                                         {"OFN Paths", "Laste Create File Directory"},
                                                         {"OFN Paths", "Laste Open File Directory"}};
    for (const auto& [section, key] : unset)
        EXPECT_NE(::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), W(key).c_str(), RRF_RT_ANY, nullptr,
                                 nullptr, nullptr),
                  ERROR_SUCCESS)
            << key << ": no value of any type";
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
    // Read as REG_SZ and REG_DWORD only, each under nested subkeys.
    EXPECT_EQ(RegText(nested, chat), "Анна");
    EXPECT_EQ(RegDword(nested, chat + "#long"), 0xFFFFFFFF);
    EXPECT_EQ(RegDword(nested, chat + "#true"), 1);
    EXPECT_EQ(RegDword(nested, chat + "#false"), 0);

    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey(section).c_str());
}

TEST(SettingsRegistry, ValuesOfOtherRegistryTypesReadAsTheDefault) {
    const std::string section = "Тест " + outside::esGetNewGUID();
    const BYTE four[4] = {1, 0, 0, 0};
    const wchar_t expand[] = L"%TEMP%";
    RegSetRaw(section, "binary", REG_BINARY, four, sizeof four);
    RegSetRaw(section, "expand", REG_EXPAND_SZ, expand, sizeof expand);
    RegSetRaw(section, "short dword", REG_DWORD, four, 2);
    RegSetRaw(section, "big endian", REG_DWORD_BIG_ENDIAN, four, sizeof four);
    SettingsStore store;
    for (const char* name : {"binary", "expand", "short dword", "big endian"}) {
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

    outside::UniqueWindow window;
    SettingsStore store;
    const std::string chatA = "C:\\Чаты\\" + outside::esGetNewGUID() + "\\a.ZPMFChat";
};

// A rectangle as gtest compares and prints it.
std::array<LONG, 4> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

TEST_F(PlacementFixture, APlacementOffEveryMonitorComesBackIntoView) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window.get(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
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
        // Inside the work area, at the stored size where it fits.
        const LONG width = c.width ? c.width : work.right - work.left, height = c.height ? c.height : work.bottom - work.top;
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom)
            << ::testing::PrintToString(Edges(r));
        EXPECT_EQ((std::array<LONG, 2>{r.right - r.left, r.bottom - r.top}), (std::array<LONG, 2>{width, height}));
    }
}

TEST_F(PlacementFixture, TheMaximizedStateIsKeptAndAHiddenWindowStaysHidden) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    MoveTo(70, 80, 360, 260);
    const RECT normal = Normal();
    EXPECT_FALSE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get())) << "nothing stored yet";
    EXPECT_EQ(Edges(Normal()), Edges(normal));
    ::ShowWindow(window.get(), SW_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(window.get()));
    outside::SaveWindowPlacement(store, chatA, "frmChat", window.get());
    WindowPlacement stored;
    ASSERT_TRUE(store.RestoreWindowPlacement("", chatA, "frmChat", stored));
    EXPECT_TRUE(stored.maximized);
    EXPECT_EQ(Edges({stored.left, stored.top, stored.right, stored.bottom}), Edges(normal)) << "the normal rectangle";

    ::ShowWindow(window.get(), SW_HIDE);
    ::ShowWindow(window.get(), SW_RESTORE);
    MoveTo(10, 10, 150, 120);
    ::ShowWindow(window.get(), SW_HIDE);
    int show = 0;
    ASSERT_TRUE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get(), &show));
    EXPECT_FALSE(::IsWindowVisible(window.get()));
    EXPECT_EQ(show, SW_SHOWMAXIMIZED);
    EXPECT_EQ(Edges(Normal()), Edges(normal));

    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    ASSERT_TRUE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get(), &show));
    EXPECT_TRUE(::IsZoomed(window.get()));
}
