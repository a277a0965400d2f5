// Every window of the program as a screen reader meets it: each control has a
// name and its role, read through AccessibleObjectFromWindow as assistive
// technology asks for them.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QuilletProcess.h"
#include "SettingsTestSupport.h"
#include "WindowTestSupport.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/settings/GlobalSettingsLogic.h"
#include "app/settings/LocalSettingsLogic.h"
#include "app/settings/win32/frmGlobalSettings.h"
#include "app/settings/win32/frmLocalSettings.h"
#include "app/startup/win32/frmLogin.h"
#include "app/support/win32/ucButton.h"
#include "outside/win32/Wide.h"

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}
bool Is(const std::wstring& className, const wchar_t* expected) { return ::_wcsicmp(className.c_str(), expected) == 0; }

// The role Windows gives a control of this class and style; 0 for a class the
// program should not have.
long WindowsRole(HWND control) {
    const std::wstring cls = ClassOf(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (cls == support::ucButton::kClassName) return ROLE_SYSTEM_PUSHBUTTON;
    if (Is(cls, L"Button")) {
        switch (style & BS_TYPEMASK) {
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE: return ROLE_SYSTEM_CHECKBUTTON;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON: return ROLE_SYSTEM_RADIOBUTTON;
            case BS_GROUPBOX: return ROLE_SYSTEM_GROUPING;
            default: return ROLE_SYSTEM_PUSHBUTTON;
        }
    }
    if (Is(cls, L"Edit") || Is(cls, L"RICHEDIT50W")) return ROLE_SYSTEM_TEXT;
    if (Is(cls, L"ListBox")) return ROLE_SYSTEM_LIST;
    if (Is(cls, L"Static")) return (style & SS_TYPEMASK) == SS_ICON ? ROLE_SYSTEM_GRAPHIC : ROLE_SYSTEM_STATICTEXT;
    return 0;
}

std::vector<HWND> VisibleChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::IsWindowVisible(child)) children.push_back(child);
    return children;
}

// What is wrong with the controls of one window, one line each.
std::vector<std::string> Problems(HWND window) {
    std::vector<std::string> problems;
    for (HWND control : VisibleChildren(window)) {
        const std::string where = wintest::WindowCaption(window) + " / " + outside::U8(ClassOf(control)) + " " +
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

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    return all;
}

std::vector<std::string> PictureButtonNames(HWND window) {
    std::vector<std::string> names;
    for (HWND child : VisibleChildren(window))
        if (ClassOf(child) == support::ucButton::kClassName) names.push_back(wintest::ReadAccessible(child).name);
    return names;
}

class AccessibilityTest : public wintest::SettingsWindowFixture {
protected:
    AccessibilityTest() : SettingsWindowFixture("Доступность.ZPMFChat") {}
    void TearDown() override {
        if (auto* w = settings::frmGlobalSettings::Loaded()) w->Unload();
        if (auto* w = settings::frmLocalSettings::Loaded()) w->Unload();
        logsviewer::frmLogsViewer::UnloadViewer();
        if (login && login->IsLoaded()) login->Unload();
        login.reset();
        SettingsWindowFixture::TearDown();
    }
    std::unique_ptr<startup::frmLogin> login;
};

}  // namespace

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasANameAndItsRole) {
    const std::vector<std::string> toolbar = {"Локальные настройки (Shift+F9)", "Глобальные настройки (F9)",
                                              "Просмотр логов (Ctrl+L)", "Сделать окно полупрозрачным (Ctrl+0)",
                                              "Выход (Shift+Esc)"};
    EXPECT_EQ(PictureButtonNames(hwnd), toolbar);
    EXPECT_EQ(wintest::ReadAccessible(form->MessageInput()).name, "Сообщение");
    EXPECT_EQ(wintest::ReadAccessible(form->LogPane()).name, "Журнал текущей беседы");

    // A screen reader presses a toolbar button through its default action.
    HWND globalButton = nullptr;
    for (HWND child : VisibleChildren(hwnd))
        if (wintest::ReadAccessible(child).name == toolbar[1]) globalButton = child;
    ASSERT_NE(globalButton, nullptr);
    EXPECT_EQ(wintest::ReadAccessible(globalButton).defaultAction, "Нажать");
    ASSERT_TRUE(wintest::DoAccessibleDefaultAction(globalButton));
    ASSERT_TRUE(wintest::PumpUntil([] { return settings::frmGlobalSettings::Loaded() != nullptr; }));
    const HWND global = settings::frmGlobalSettings::Loaded()->Handle();
    EXPECT_EQ(wintest::ReadAccessible(::GetDlgItem(global, settings::kIdFirstColor)).name, "Мои сообщения, заголовок");
    EXPECT_EQ(wintest::ReadAccessible(::GetDlgItem(global, settings::kIdFirstColor + 7)).name,
              "Отладочные сообщения, текст");

    const HWND local = OpenLocal();
    ASSERT_NE(local, nullptr);
    using settings::IconGroup;
    EXPECT_EQ(wintest::ReadAccessible(::GetDlgItem(local, settings::IconSampleId(IconGroup::Tray, 0))).name,
              "Иконка в трее, вариант 1");
    EXPECT_EQ(wintest::ReadAccessible(::GetDlgItem(local, settings::IconOptionId(IconGroup::Empty, 6))).name,
              "Пустая иконка (анимация мигания), вариант 7");

    form->ToolbarClick(chatwindow::kLogs);
    ASSERT_NE(logsviewer::frmLogsViewer::Current(), nullptr);
    const HWND viewer = logsviewer::frmLogsViewer::Current()->Handle();

    login = startup::frmLogin::Load();
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(PictureButtonNames(login->Handle()),
              (std::vector<std::string>{"Создать файл чата", "Открыть файл чата", "Выход из программы"}));

    size_t controls = 0;
    for (HWND window : {hwnd, global, local, viewer, login->Handle()}) {
        SCOPED_TRACE(wintest::WindowCaption(window));
        controls += VisibleChildren(window).size();
        const std::vector<std::string> problems = Problems(window);
        EXPECT_TRUE(problems.empty()) << Lines(problems);
    }
    EXPECT_GT(controls, 80u) << "every window was walked";
}
