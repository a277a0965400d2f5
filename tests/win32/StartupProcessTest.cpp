// Quillet.exe started as users start it: the usage box, missing files, which
// file name counts, and one chat per folder across processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "QuilletProcess.h"
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
std::string VersionValue(const std::string& exe, const wchar_t* name) {
    const std::wstring path = outside::W(exe);
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return {};
    wchar_t* value = nullptr;
    UINT size = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041904B0\\") + name;
    if (!::VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &size) || !size) return {};
    return outside::U8(std::wstring(value, size - 1));
}

}  // namespace

TEST(StartupProcess, TitleVersionAndLegalLineComeFromTheVersionResource) {
    const std::string exe =
        outside::esBuildFileName2(outside::esGetFilePath(outside::esGetModuleFileName()), "Quillet.exe");
    const std::string title = VersionValue(exe, L"ProductName");
    const std::string legal = VersionValue(exe, L"LegalCopyright");
    ASSERT_FALSE(legal.empty()) << "the legal line is in the resource";
    QuilletProcess q(L"/?");
    const HWND box = q.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wintest::WindowCaption(box), title);
    EXPECT_EQ(wintest::MessageBoxText(box).substr(0, title.size() + legal.size() + 3 + 9),
              title + " " + VersionValue(exe, L"FileVersion") + "\r\n" + legal);
    wintest::CloseMessageBox(box);
}

TEST(StartupProcess, UsageBoxWinsWhereverTheSwitchStands) {
    testsupport::TempDir dir;
    const std::string chat = MakeChat(dir, "Беседа.ZPMFChat");
    for (const std::wstring& args : {std::wstring(L"/?"), Quoted(chat) + L" /?", L"/? " + Quoted(chat)}) {
        QuilletProcess q(args);
        ASSERT_TRUE(q.Started());
        const HWND box = q.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(wintest::MessageBoxText(box), modMain::UsageText("Quillet.exe"));
        EXPECT_EQ(wintest::WindowCaption(box), "Torvane - Quillet");
        wintest::CloseMessageBox(box);
        DWORD code = 1;
        EXPECT_TRUE(q.WaitForExit(20000, &code)) << "no window is opened after the usage box";
        EXPECT_EQ(code, 0u);
    }
}

TEST(StartupProcess, WithoutAFileTheEntryWindowOpensAndItsExitEndsTheProgram) {
    QuilletProcess q(L"");
    const HWND entry = q.WaitForWindow(L"QuilletLogin", kEntryCaption);
    ASSERT_NE(entry, nullptr);
    const int exitButton = 102;  // ucbExit
    ::PostMessageW(entry, WM_COMMAND, MAKEWPARAM(exitButton, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(entry, exitButton)));
    DWORD code = 1;
    EXPECT_TRUE(q.WaitForExit(20000, &code)) << "no other window is open, so the program ends";
    EXPECT_EQ(code, 0u);
}

TEST(StartupProcess, MissingFileIsReportedThenTheEntryWindowOpens) {
    testsupport::TempDir dir;
    const std::string missing = dir / "нет такого.ZPMFChat";
    QuilletProcess q(L"/H " + Quoted(missing));
    const HWND box = q.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wintest::MessageBoxText(box), missing + "\r\n\r\nФайл не существует.");
    wintest::CloseMessageBox(box);
    EXPECT_NE(q.WaitForWindow(L"QuilletLogin", kEntryCaption), nullptr);
}

TEST(StartupProcess, TheLastFileNameCountsAndARelativeNameBecomesFull) {
    testsupport::TempDir dir;
    MakeChat(dir, "Первый.ZPMFChat");
    const std::string second = MakeChat(dir, "Второй.ZPMFChat");
    QuilletProcess q(L"Первый.ZPMFChat Второй.ZPMFChat", dir.path());
    const HWND chat = q.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(wintest::WindowCaption(chat), ChatCaption("Второй.ZPMFChat"));
    // The per-chat settings are keyed by the full path the relative name became.
    const std::string nick = outside::SettingsStore().ReadString("Nicks", second, "<none>");
    EXPECT_NE(nick, "<none>") << "no settings under " << second;
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

    first->Terminate();
    first.reset();
    QuilletProcess third(Quoted(b));
    const HWND chat = third.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr) << "the folder is free once the first instance has ended";
    EXPECT_EQ(wintest::WindowCaption(chat), ChatCaption("b.ZPMFChat"));
}

// Pixels (0x00RRGGBB) of a screen rectangle, or of an icon drawn on a colour.
std::vector<uint32_t> Capture(HDC from, int x, int y, int width, int height, HICON icon = nullptr,
                              COLORREF background = 0) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(from, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(from);
    HGDIOBJ old = ::SelectObject(dc, dib);
    if (icon) {
        HBRUSH brush = ::CreateSolidBrush(background);
        RECT all{0, 0, width, height};
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
        ::DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    } else {
        ::BitBlt(dc, 0, 0, width, height, from, x, y, SRCCOPY);
    }
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(width) * height);
    for (auto& p : pixels) p &= 0xFFFFFF;
    ::SelectObject(dc, old);
    ::DeleteObject(dib);
    ::DeleteDC(dc);
    return pixels;
}

// True when the taskbar shows this icon: its opaque pixels (the same drawn
// on black and on white) appear somewhere on it.
bool TaskbarShows(HICON icon) {
    HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray || !::IsWindowVisible(tray)) return false;
    RECT r{};
    ::GetWindowRect(tray, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    const auto onBlack = Capture(screen, 0, 0, 16, 16, icon, RGB(0, 0, 0));
    const auto onWhite = Capture(screen, 0, 0, 16, 16, icon, RGB(255, 255, 255));
    const auto shot = Capture(screen, r.left, r.top, width, height);
    ::ReleaseDC(nullptr, screen);
    for (int top = 0; top + 16 <= height; ++top)
        for (int left = 0; left + 16 <= width; ++left) {
            bool match = true;
            for (int i = 0; i < 256 && match; ++i)
                if (onBlack[static_cast<size_t>(i)] == onWhite[static_cast<size_t>(i)])
                    match = shot[static_cast<size_t>((top + i / 16) * width + left + i % 16)] ==
                            onBlack[static_cast<size_t>(i)];
            if (match) return true;
        }
    return false;
}

TEST(StartupProcess, HiddenStartShowsNoWindowButTheTrayIcon) {
    testsupport::TempDir dir;
    const std::string chat = MakeChat(dir, "Скрытый.ZPMFChat");
    // A tray style of its own, so that icons other programs left behind do not count.
    outside::SettingsStore().WriteLong("Icon Style\\Tray", chat, 6);
    HICON trayIcon = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), L"IDI_TRAY_6", IMAGE_ICON, 16, 16, LR_SHARED));
    ASSERT_FALSE(TaskbarShows(trayIcon)) << "no such icon before the start";
    QuilletProcess q(L"/H " + Quoted(chat));
    ASSERT_NE(q.WaitForAnyWindow(L"QuilletChatWindow"), nullptr) << "the chat window is loaded";
    const DWORD start = ::GetTickCount();
    while (!TaskbarShows(trayIcon) && ::GetTickCount() - start < 10000) ::Sleep(200);
    EXPECT_TRUE(TaskbarShows(trayIcon)) << "its icon is in the notification area";
    ::Sleep(1000);
    EXPECT_FALSE(q.HasVisibleWindow());
    DWORD code = 0;
    EXPECT_FALSE(q.WaitForExit(0, &code)) << "the program keeps running in the tray";
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
