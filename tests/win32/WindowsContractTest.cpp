// What Windows enforces and Wine lets pass, asked through the queries Wine
// answers as Windows does (docs/windows-contract.md keeps the list): the
// rich-text panes' text limit, and which window a message box belongs to.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ChatWindowFixture.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/support/FormDesign.h"
#include "outside/MessageBoxes.h"
#include "support/LogWriting.h"

namespace {

// Windows stops a RichEdit at its limit (32,767 characters unless raised),
// also for RTF put in by the program; Wine reports the limit but does not.
constexpr LRESULT kAnyConversation = 1 << 30;

LRESULT TextLimit(HWND pane) { return ::SendMessageW(pane, EM_GETLIMITTEXT, 0, 0); }

LRESULT Characters(HWND pane) {
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return ::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
}

class PaneLimitTest : public wintest::ChatWindowFixture {
protected:
    PaneLimitTest() : ChatWindowFixture("Длинный.ZPMFChat") {}
    testsupport::TempDir logs;
};

// A window of the test's own for the boxes to belong to.
HWND MakeWindow(bool visible) {
    HWND w = ::CreateWindowExW(0, L"STATIC", L"Окно пользователя", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                               100, 100, 300, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (visible) {
        ::SetForegroundWindow(w);
        ::SetActiveWindow(w);
    }
    wintest::PumpFor(100);
    return w;
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// Whether a font family is installed (not merely substituted).
bool Installed(const wchar_t* family) {
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(dc, &font, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

class DesignFontTest : public wintest::SettingsWindowFixture {
protected:
    DesignFontTest() : SettingsWindowFixture("Шрифт.ZPMFChat") {}
    void TearDown() override {
        if (auto* w = settings::frmGlobalSettings::Loaded()) w->Unload();
        if (auto* w = settings::frmLocalSettings::Loaded()) w->Unload();
        SettingsWindowFixture::TearDown();
    }
    static SIZE Client(HWND window) {
        RECT r{};
        ::GetClientRect(window, &r);
        return {r.right, r.bottom};
    }
};

}  // namespace

// Windows has Tahoma, the designs' font, and Marlett for the caption buttons;
// a Wine prefix needs them from fonts-wine. In Tahoma every window keeps its
// design size (a wider substitute makes the settings windows grow).
TEST_F(DesignFontTest, WindowsAreDrawnInTahomaAtTheirDesignSizes) {
    ASSERT_TRUE(Installed(L"Tahoma")) << "the prefix has no Tahoma: see wine_fonts in scripts/lib.sh";
    EXPECT_TRUE(Installed(L"Marlett")) << "nor the caption buttons' glyphs";
    HDC dc = ::GetDC(hwnd);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(form->MessageInput(), WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    EXPECT_STREQ(face, L"Tahoma") << "the font the windows draw in";

    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX), dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    const auto design = [&](int widthTwips, int heightTwips) {
        return std::pair{support::TwipsToPixels(widthTwips, dpiX), support::TwipsToPixels(heightTwips, dpiY)};
    };
    const HWND global = OpenGlobal();
    ASSERT_NE(global, nullptr);
    const SIZE g = Client(global);
    EXPECT_EQ(std::pair(static_cast<int>(g.cx), static_cast<int>(g.cy)), design(settings::kGlobalClientWidth, settings::kGlobalClientHeight));
    const HWND local = OpenLocal();
    ASSERT_NE(local, nullptr);
    const SIZE l = Client(local);
    EXPECT_EQ(std::pair(static_cast<int>(l.cx), static_cast<int>(l.cy)), design(settings::kLocalClientWidth, settings::kLocalClientHeight));
}

TEST_F(PaneLimitTest, BothPanesHoldAnyConversation) {
    Open();
    EXPECT_GE(TextLimit(form->LogPane()), kAnyConversation) << "the chat window's pane";

    // A log of 200,000 characters comes back whole in the viewer.
    std::vector<std::string> lines(2000, std::string(100, 'x'));
    lines.push_back("Последняя строка");
    testsupport::WriteLog(logs.path(), testsupport::LocalTime(2024, 5, 2, 8, 0, 0), lines);
    modSettings::LogsFolder = logs.path();
    form->ToolbarClick(chatwindow::kLogs);
    logsviewer::frmLogsViewer* viewer = logsviewer::frmLogsViewer::Current();
    ASSERT_NE(viewer, nullptr);
    EXPECT_GE(TextLimit(viewer->LogPane()), kAnyConversation) << "the logs viewer's pane";
    EXPECT_GE(Characters(viewer->LogPane()), 200000);
    EXPECT_NE(modRTFSupport::PlainText(viewer->LogPane()).find("Последняя строка"), std::string::npos);
    viewer->Unload();
}

// A box belongs to the window the user is in and disables it; with no window
// of ours active it is task-modal, so that a chat window hidden in the tray
// waits for the answer too.
TEST(MessageBoxOwnership, TheWindowTheUserIsInOwnsTheBoxOrEveryWindowWaits) {
    struct Case {
        const char* name;
        bool userIsIn;
    };
    for (const Case& c : {Case{"a window the user is in", true}, Case{"only a hidden window", false}}) {
        SCOPED_TRACE(c.name);
        const HWND w = MakeWindow(c.userIsIn);
        ASSERT_NE(w, nullptr);
        if (c.userIsIn) {
            // Xvfb under Wine always lets it: a skip there would hide a failure.
            if (::GetActiveWindow() != w && wintest::UnderWine()) FAIL() << "the test window cannot become active";
            if (::GetActiveWindow() != w) GTEST_SKIP() << "the test window cannot become active here";
        } else {
            ASSERT_EQ(::GetActiveWindow(), nullptr) << "a window of the test is still active";
        }
        HWND owner = reinterpret_cast<HWND>(-1);
        bool enabledBehind = true;
        wintest::DialogScript script({[&](HWND box) {
            owner = ::GetWindow(box, GW_OWNER);
            enabledBehind = ::IsWindowEnabled(w);
            wintest::DialogScript::Press(IDOK)(box);
        }});
        EXPECT_EQ(outside::MsgBox("Проверка", outside::kMbIconInformation), outside::kAnswerOk);
        EXPECT_EQ(owner, c.userIsIn ? w : nullptr);
        EXPECT_FALSE(enabledBehind);
        EXPECT_TRUE(::IsWindowEnabled(w)) << "and enabled again after the answer";
        ::DestroyWindow(w);
    }
}

// What the program declares to Windows in its manifest: common controls 6,
// system-DPI awareness (it scales its twips itself), and paths past MAX_PATH
// where the machine's policy allows them (Windows 10 1607 on).
TEST(ProgramManifest, DeclaresControlsDpiAndLongPaths) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring program(exe);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"Quillet.exe";
    const HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                               ::SizeofResource(module, found));
    ::FreeLibrary(module);
    for (const char* entry : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                              "SMI/2005/WindowsSettings\">true</dpiAware>",
                              "SMI/2016/WindowsSettings\">true</longPathAware>"})
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
}
