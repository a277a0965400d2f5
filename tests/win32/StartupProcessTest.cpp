// Quillet.exe started as users start it: the usage box, missing files, which
// file name counts, and one chat per folder across processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "QuilletProcess.h"
#include "WindowTestSupport.h"
#include "app/startup/modMain.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/win32/Wide.h"
#include "support/TempDir.h"

using wintest::QuilletProcess;

namespace {

const std::string kEntryCaption = "Quillet :: Вход в систему";

std::string MakeChat(const testsupport::TempDir& dir, const std::string& name) {
    const std::string path = dir / name;
    outside::TheTextFile().WriteText(path, "", outside::TextEncoding::Utf8);
    return path;
}

std::wstring Quoted(const std::string& path) { return L"\"" + outside::W(path) + L"\""; }

std::string ChatCaption(const std::string& name) { return name + " \u2013 Quillet"; }

// A string of Quillet.exe's version resource (Russian, Unicode block).
std::string VersionValue(const wchar_t* name) {
    const std::wstring exe =
        outside::W(outside::esBuildFileName2(outside::esGetFilePath(outside::esGetModuleFileName()), "Quillet.exe"));
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    wchar_t* value = nullptr;
    UINT size = 0;
    if (block.empty() || !::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !::VerQueryValueW(block.data(), (std::wstring(L"\\StringFileInfo\\041904B0\\") + name).c_str(),
                          reinterpret_cast<void**>(&value), &size) || !size)
        return {};
    return outside::U8(std::wstring(value, size - 1));
}

// The exit code of the process within 20 s, or -1 while it goes on running.
long ExitCode(const QuilletProcess& q) {
    DWORD code = 0;
    return q.WaitForExit(20000, &code) ? static_cast<long>(code) : -1;
}

// True when the taskbar shows this icon: its opaque pixels (the same drawn
// on black and on white) appear somewhere on it.
bool TaskbarShows(HICON icon) {
    HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r{};
    if (!tray || !::IsWindowVisible(tray) || !::GetWindowRect(tray, &r)) return false;
    const wintest::Pixels onBlack = wintest::IconPixels(icon, 16);
    const wintest::Pixels onWhite = wintest::Painted(
        16, 16, RGB(255, 255, 255), [&](HDC dc) { ::DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL); });
    HDC screen = ::GetDC(nullptr);
    const wintest::Pixels shot = wintest::Painted(r.right - r.left, r.bottom - r.top, 0, [&](HDC dc) {
        ::BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    });
    ::ReleaseDC(nullptr, screen);
    for (int top = 0; top + 16 <= shot.height; ++top)
        for (int left = 0; left + 16 <= shot.width; ++left) {
            bool match = true;
            for (int i = 0; i < 256 && match; ++i)
                if (onBlack.Rgb(i % 16, i / 16) == onWhite.Rgb(i % 16, i / 16))
                    match = shot.Rgb(left + i % 16, top + i / 16) == onBlack.Rgb(i % 16, i / 16);
            if (match) return true;
        }
    return false;
}

}  // namespace

TEST(StartupProcess, UsageBoxWinsWhereverTheSwitchStandsAndEndsTheProgram) {
    testsupport::TempDir dir;
    const std::string chat = MakeChat(dir, "Беседа.ZPMFChat");
    // The title, version and legal line of the box come from the version resource.
    const std::string title = VersionValue(L"ProductName");
    const std::string legal = VersionValue(L"LegalCopyright");
    ASSERT_FALSE(legal.empty()) << "the legal line is in the resource";
    ASSERT_EQ(title, "Torvane - Quillet");
    for (const std::wstring& args : {std::wstring(L"/?"), Quoted(chat) + L" /?", L"/? " + Quoted(chat)}) {
        QuilletProcess q(args);
        ASSERT_TRUE(q.Started());
        const HWND box = q.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        const std::string text = wintest::MessageBoxText(box);
        EXPECT_EQ(text, modMain::UsageText("Quillet.exe"));
        EXPECT_EQ(text.substr(0, title.size() + legal.size() + 3 + 9),
                  title + " " + VersionValue(L"FileVersion") + "\r\n" + legal);
        EXPECT_EQ(wintest::WindowText(box), title);
        wintest::CloseMessageBox(box);
        EXPECT_EQ(ExitCode(q), 0) << "no window is opened after the usage box";
    }
}

TEST(StartupProcess, WithoutAFileTheEntryWindowOpensAndItsExitEndsTheProgram) {
    QuilletProcess q(L"");
    const HWND entry = q.WaitForWindow(L"QuilletLogin", kEntryCaption);
    ASSERT_NE(entry, nullptr);
    const int exitButton = 102;  // ucbExit
    ::PostMessageW(entry, WM_COMMAND, MAKEWPARAM(exitButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(entry, exitButton)));
    EXPECT_EQ(ExitCode(q), 0) << "no other window is open, so the program ends";
}

TEST(StartupProcess, TheLastFileNameCountsAndARelativeNameBecomesFull) {
    testsupport::TempDir dir;
    MakeChat(dir, "Первый.ZPMFChat");
    const std::string second = MakeChat(dir, "Второй.ZPMFChat");
    QuilletProcess q(L"Первый.ZPMFChat Второй.ZPMFChat", dir.path());
    const HWND chat = q.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(wintest::WindowText(chat), ChatCaption("Второй.ZPMFChat"));
    // The per-chat settings are keyed by the full path the relative name became.
    EXPECT_NE(outside::SettingsStore().ReadString("Nicks", second, "<none>"), "<none>") << "none under " << second;
}

TEST(StartupProcess, SecondInstanceOnTheSameFolderIsRefusedUntilTheFirstEnds) {
    testsupport::TempDir dir;
    const std::string a = MakeChat(dir, "a.ZPMFChat");
    const std::string b = MakeChat(dir, "b.ZPMFChat");
    auto first = std::make_unique<QuilletProcess>(Quoted(a));
    const HWND firstChat = first->WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(firstChat, nullptr);
    {
        QuilletProcess second(Quoted(b));
        const HWND box = second.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(wintest::MessageBoxText(box),
                  outside::esGetFilePath(b) +
                      "\r\n\r\nВ этом каталоге уже идёт чат.\r\nПопробуйте поискать иконку программы в трее.");
        wintest::CloseMessageBox(box);
        EXPECT_NE(second.WaitForWindow(L"QuilletLogin", kEntryCaption), nullptr);
        EXPECT_TRUE(::IsWindow(firstChat)) << "the first instance is not disturbed";
    }
    first.reset();
    QuilletProcess third(Quoted(b));
    const HWND chat = third.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr) << "the folder is free once the first instance has ended";
    EXPECT_EQ(wintest::WindowText(chat), ChatCaption("b.ZPMFChat"));
}

TEST(StartupProcess, HiddenStartShowsNoWindowButTheTrayIcon) {
    testsupport::TempDir dir;
    const std::string chat = MakeChat(dir, "Скрытый.ZPMFChat");
    // A tray style of its own, so that icons other programs left behind do not count.
    outside::SettingsStore().WriteLong("Icon Style\\Tray", chat, 6);
    HICON trayIcon =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"IDI_TRAY_6", IMAGE_ICON, 16, 16, LR_SHARED));
    ASSERT_FALSE(TaskbarShows(trayIcon)) << "no such icon before the start";
    QuilletProcess q(L"/H " + Quoted(chat));
    ASSERT_NE(q.WaitForAnyWindow(L"QuilletChatWindow"), nullptr) << "the chat window is loaded";
    EXPECT_TRUE(wintest::PumpUntil([&] { return TaskbarShows(trayIcon); })) << "its icon is in the notification area";
    ::Sleep(1000);
    EXPECT_FALSE(q.HasVisibleWindow());
    EXPECT_FALSE(q.WaitForExit(0)) << "the program keeps running in the tray";
}

TEST(StartupProcess, FoldersOutsideTheAnsiCodePageAreClaimedApart) {
    // α and β have no place in code page 1251: an ANSI guard name would make both "?".
    testsupport::TempDir dir;
    std::vector<std::unique_ptr<QuilletProcess>> running;
    for (const char* folder : {"Чат α", "Чат β"}) {
        std::filesystem::create_directory(std::filesystem::u8path(dir / folder));
        const std::string chat = MakeChat(dir, std::string(folder) + "\\Беседа.ZPMFChat");
        running.push_back(std::make_unique<QuilletProcess>(Quoted(chat)));
        EXPECT_NE(running.back()->WaitForWindow(L"QuilletChatWindow"), nullptr) << folder;
        EXPECT_EQ(running.back()->WaitForMessageBox(500), nullptr) << "no warning for " << folder;
    }
}
