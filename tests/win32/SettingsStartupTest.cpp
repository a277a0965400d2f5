// The settings in the registry, read back with the registry API itself (what a start leaves there, where and
// how the store writes), and window placements on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <optional>
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

namespace {

// "Quillet.exe /?" from beside this program: its usage box closed, the exit code (nullopt: no box, or no end).
std::optional<DWORD> RunUsage() {
    wintest::QuilletProcess q(L"/?");
    const HWND box = q.Started() ? q.WaitForMessageBox(30000) : nullptr;
    if (!box) return std::nullopt;
    wintest::CloseMessageBox(box);
    DWORD code = 0;
    return q.WaitForExit(30000, &code) ? std::optional<DWORD>(code) : std::nullopt;
}

}  // namespace

TEST(SettingsStartup, FirstStartStoresTheGuidAndEveryDefaultAndLaterStartsKeepTheGuid) {
    // Only a throw-away Wine prefix may lose its settings.
    if (!wintest::UnderWine()) GTEST_SKIP() << "clears the program's registry key: runs under Wine only";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey("").c_str());

    ASSERT_EQ(RunUsage(), std::optional<DWORD>(0));
    const std::string guid = RegText("", "My GUID");
    EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
        << guid;
    for (const auto& e : wintest::kProgramSettings)  // read as REG_DWORD only
        EXPECT_EQ(RegDword(e.section, e.key), e.initial) << e.section << " / " << e.key;
    const std::pair<const char*, const char*> unset[] = {{"Colors", "Custom Colors"},
                                                         {"OFN Paths", "Laste Create File Directory"},
                                                         {"OFN Paths", "Laste Open File Directory"}};
    for (const auto& [section, key] : unset)
        EXPECT_NE(::RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), W(key).c_str(), RRF_RT_ANY, nullptr,
                                 nullptr, nullptr),
                  ERROR_SUCCESS)
            << key << ": no value of any type";

    // A colour with stray high bits and a lost key, as an older or damaged store may hold.
    const DWORD stray = 0xFF00ABCD;
    RegSetRaw("Colors 2", "My Message Title Color", REG_DWORD, &stray, sizeof stray);
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, SectionKey("Debug").c_str(), L"Send XML Messages"),
              ERROR_SUCCESS);

    ASSERT_EQ(RunUsage(), std::optional<DWORD>(0));
    EXPECT_EQ(RegText("", "My GUID"), guid);
    EXPECT_EQ(RegDword("Colors 2", "My Message Title Color"), 0x0000ABCD);
    EXPECT_EQ(RegDword("Debug", "Send XML Messages"), 0);
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
    // Read as REG_SZ and REG_DWORD only, each under nested subkeys.
    EXPECT_EQ(RegText(nested, chat), "Анна");
    EXPECT_EQ(RegDword(nested, chat + "#long"), 0xFFFFFFFF);
    EXPECT_EQ(RegDword(nested, chat + "#true"), 1);
    EXPECT_EQ(RegDword(nested, chat + "#false"), 0);
    EXPECT_EQ(RegText("", chat + section), "in the program's own key");

    ::RegDeleteTreeW(HKEY_CURRENT_USER, SectionKey(section).c_str());
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, SectionKey("").c_str(), W(chat + section).c_str());
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

// A rectangle as gtest compares and prints it.
std::array<LONG, 4> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

TEST_F(PlacementFixture, EachWindowAndChatGetsBackItsOwnPlacement) {
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    const RECT untouched = Normal();
    EXPECT_FALSE(outside::RestoreWindowPlacement(store, chatA, "frmChat", window.get()));
    EXPECT_EQ(Edges(Normal()), Edges(untouched));

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
        EXPECT_EQ(Edges(Normal()), Edges(c.expected)) << c.name;
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
    ::ShowWindow(window.get(), SW_MAXIMIZE);
    ASSERT_TRUE(::IsZoomed(window.get()));
    outside::SaveWindowPlacement(store, chatA, "frmChat", window.get());
    WindowPlacement stored;
    ASSERT_TRUE(store.RestoreWindowPlacement("", chatA, "frmChat", stored));
    EXPECT_TRUE(stored.maximized);
    EXPECT_EQ(Edges({stored.left, stored.top, stored.right, stored.bottom}), Edges(normal)) << "the normal rectangle";

    ::ShowWindow(window.get(), SW_HIDE);
    ::ShowWindow(window.get(), SW_RESTORE);
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
