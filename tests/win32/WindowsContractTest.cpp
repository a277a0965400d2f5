// What Windows enforces and Wine lets pass, asked through the queries Wine
// answers as Windows does (docs/windows-contract.md keeps the list).
#include <windows.h>
#include <oleacc.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/startup/win32/frmLogin.h"
#include "app/support/FormDesign.h"
#include "app/support/win32/ucButton.h"
#include "outside/MessageBoxes.h"
#include "outside/win32/Wide.h"
#include "support/LogWriting.h"

namespace {

// Windows stops a RichEdit at its limit (32,767 characters unless raised),
// also for RTF put in by the program; Wine reports the limit but does not.
constexpr LRESULT kAnyConversation = 1 << 30;

LRESULT TextLimit(HWND pane) { return ::SendMessageW(pane, EM_GETLIMITTEXT, 0, 0); }

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The role Windows gives a control of this class and style; 0 for a class the
// program should not have.
long WindowsRole(HWND control) {
    const std::wstring cls = ClassOf(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const auto is = [&](const wchar_t* name) { return ::_wcsicmp(cls.c_str(), name) == 0; };
    if (cls == support::ucButton::kClassName) return ROLE_SYSTEM_PUSHBUTTON;
    if (is(L"Button")) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) return ROLE_SYSTEM_GROUPING;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return ROLE_SYSTEM_RADIOBUTTON;
        return type >= BS_CHECKBOX && type <= BS_AUTO3STATE ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    }
    if (is(L"Edit") || is(L"RICHEDIT50W")) return ROLE_SYSTEM_TEXT;
    if (is(L"ListBox")) return ROLE_SYSTEM_LIST;
    if (is(L"Static")) return (style & SS_TYPEMASK) == SS_ICON ? ROLE_SYSTEM_GRAPHIC : ROLE_SYSTEM_STATICTEXT;
    return 0;
}

std::vector<HWND> VisibleChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::IsWindowVisible(child)) children.push_back(child);
    return children;
}

// What is wrong with the controls of one window for a screen reader, one line each.
std::vector<std::string> Problems(HWND window) {
    std::vector<std::string> problems;
    for (HWND control : VisibleChildren(window)) {
        const std::string where = wintest::WindowText(window) + " / " + outside::U8(ClassOf(control)) + " " +
                                  std::to_string(::GetDlgCtrlID(control)) + ": ";
        const wintest::AccessibleClient read = wintest::ReadAccessible(control);
        const long role = WindowsRole(control);
        if (!read.found) {
            problems.push_back(where + "no accessible object");
            continue;
        }
        if (read.name.empty()) problems.push_back(where + "no name");
        // Wine's proxies give every standard class but Edit the generic client
        // role; the roles the program sets itself must be exact there too.
        const bool wineLeniency = wintest::UnderWine() && read.role == ROLE_SYSTEM_CLIENT &&
                                  ClassOf(control) != support::ucButton::kClassName;
        if (role == 0 || (read.role != role && !wineLeniency))
            problems.push_back(where + "role " + std::to_string(read.role) + ", not " + std::to_string(role));
    }
    return problems;
}

std::vector<std::string> PictureButtonNames(HWND window) {
    std::vector<std::string> names;
    for (HWND child : VisibleChildren(window))
        if (ClassOf(child) == support::ucButton::kClassName) names.push_back(wintest::ReadAccessible(child).name);
    return names;
}

std::string NameOf(HWND window, int id) { return wintest::ReadAccessible(::GetDlgItem(window, id)).name; }

class EveryWindowTest : public wintest::SettingsWindowFixture {
protected:
    EveryWindowTest() : SettingsWindowFixture("Все окна.ZPMFChat") {}
    void TearDown() override {
        if (auto* w = settings::frmGlobalSettings::Loaded()) w->Unload();
        if (auto* w = settings::frmLocalSettings::Loaded()) w->Unload();
        logsviewer::frmLogsViewer::UnloadViewer();
        if (login && login->IsLoaded()) login->Unload();
        login.reset();
        SettingsWindowFixture::TearDown();
    }
    // The client size a design of widthTwips x heightTwips has on this screen.
    static std::pair<int, int> Design(int widthTwips, int heightTwips) {
        HDC screen = ::GetDC(nullptr);
        const std::pair size{support::TwipsToPixels(widthTwips, ::GetDeviceCaps(screen, LOGPIXELSX)),
                             support::TwipsToPixels(heightTwips, ::GetDeviceCaps(screen, LOGPIXELSY))};
        ::ReleaseDC(nullptr, screen);
        return size;
    }
    static std::pair<int, int> Client(HWND window) {
        RECT r{};
        ::GetClientRect(window, &r);
        return {r.right, r.bottom};
    }
    std::unique_ptr<startup::frmLogin> login;
    testsupport::TempDir logs;
};

}  // namespace

// In Tahoma, the designs' font, every window keeps its design size (a wider
// substitute makes the settings windows grow: a Wine prefix needs fonts-wine).
TEST_F(EveryWindowTest, DrawnInTahomaAtDesignSizeWithNamedControlsAndPanesThatHoldAnyConversation) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(form->MessageInput(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma") << "the font the windows draw in";
    EXPECT_GE(TextLimit(form->LogPane()), kAnyConversation) << "the chat window's pane";
    EXPECT_EQ(wintest::ReadAccessible(form->MessageInput()).name, "Сообщение");
    EXPECT_EQ(wintest::ReadAccessible(form->LogPane()).name, "Журнал текущей беседы");

    const HWND global = OpenGlobal();
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(NameOf(global, settings::kIdFirstColor), "Мои сообщения, заголовок");
    EXPECT_EQ(NameOf(global, settings::kIdFirstColor + 7), "Отладочные сообщения, текст");
    const char* const tahoma = "design size (no Tahoma? see wine_fonts in scripts/lib.sh)";
    EXPECT_EQ(Client(global), Design(settings::kGlobalClientWidth, settings::kGlobalClientHeight)) << tahoma;

    const HWND local = OpenLocal();
    ASSERT_NE(local, nullptr);
    using settings::IconGroup;
    EXPECT_EQ(NameOf(local, settings::IconSampleId(IconGroup::Tray, 0)), "Иконка в трее, вариант 1");
    EXPECT_EQ(NameOf(local, settings::IconOptionId(IconGroup::Empty, 6)), "Пустая иконка (анимация мигания), вариант 7");
    EXPECT_EQ(Client(local), Design(settings::kLocalClientWidth, settings::kLocalClientHeight)) << tahoma;

    testsupport::WriteLog(logs.path(), testsupport::LocalTime(2024, 5, 2, 8, 0, 0), {"Строка"});
    modSettings::LogsFolder = logs.path();
    form->ToolbarClick(chatwindow::kLogs);
    ASSERT_NE(logsviewer::frmLogsViewer::Current(), nullptr);
    const HWND viewer = logsviewer::frmLogsViewer::Current()->Handle();
    EXPECT_GE(TextLimit(logsviewer::frmLogsViewer::Current()->LogPane()), kAnyConversation) << "the viewer's pane";

    login = startup::frmLogin::Load();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(PictureButtonNames(login->Handle()),
              (std::vector<std::string>{"Создать файл чата", "Открыть файл чата", "Выход из программы"}));

    size_t controls = 0;
    for (HWND window : {hwnd, global, local, viewer, login->Handle()}) {
        SCOPED_TRACE(wintest::WindowText(window));
        controls += VisibleChildren(window).size();
        EXPECT_EQ(Problems(window), std::vector<std::string>{}) << "for a screen reader";
    }
    EXPECT_GT(controls, 80u) << "every window was walked";
}

// A box belongs to the window the user is in and disables it; with no window
// of ours active it is task-modal, so that a chat window hidden in the tray
// waits for the answer too.
TEST(MessageBoxOwnership, TheWindowTheUserIsInOwnsTheBoxOrEveryWindowWaits) {
    for (const bool userIsIn : {true, false}) {
        SCOPED_TRACE(userIsIn ? "a window the user is in" : "only a hidden window");
        const HWND w = ::CreateWindowExW(0, L"STATIC", L"Окно пользователя",
                                         WS_OVERLAPPEDWINDOW | (userIsIn ? WS_VISIBLE : 0), 100, 100, 300, 200, nullptr,
                                         nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(w, nullptr);
        if (userIsIn) {
            ::SetForegroundWindow(w);
            ::SetActiveWindow(w);
        }
        wintest::PumpFor(100);
        if (!userIsIn) {
            ASSERT_EQ(::GetActiveWindow(), nullptr) << "a window of the test is still active";
        } else if (::GetActiveWindow() != w) {
            // Xvfb under Wine always lets it: a skip there would hide a failure.
            if (wintest::UnderWine()) FAIL() << "the test window cannot become active";
            GTEST_SKIP() << "the test window cannot become active here";
        }
        HWND owner = reinterpret_cast<HWND>(-1);
        bool enabledBehind = true;
        wintest::DialogScript script({[&](HWND box) {
            owner = ::GetWindow(box, GW_OWNER);
            enabledBehind = ::IsWindowEnabled(w);
            wintest::DialogScript::Press(IDOK)(box);
        }});
        EXPECT_EQ(outside::MsgBox("Проверка", outside::kMbIconInformation), outside::kAnswerOk);
        EXPECT_EQ(owner, userIsIn ? w : nullptr);
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
    const HMODULE module =
        ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
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
