// Quillet.exe started as users start it: the usage box, which file name
// counts, one chat per folder across processes, the hidden start.
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

// The exit code of the process within 20 s, or -1 while it goes on running.
long ExitCode(const QuilletProcess& q) {
    DWORD code = 0;
    return q.WaitForExit(20000, &code) ? static_cast<long>(code) : -1;
}

}  // namespace

// Where the switch may stand is the command line's parser's; here the box wins over a chat file.
TEST(StartupProcess, UsageBoxWinsOverAChatFileAndEndsTheProgram) {
    testsupport::TempDir dir;
    QuilletProcess q(Quoted(MakeChat(dir, "Беседа.ZPMFChat")) + L" /?");
    const HWND box = q.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    // The test program has no version resource: its text is the identity compiled in,
    // which Quillet.exe's must agree with.
    EXPECT_EQ(wintest::MessageBoxText(box), modMain::UsageText("Quillet.exe"));
    EXPECT_EQ(wintest::WindowText(box), "Torvane - Quillet");
    wintest::CloseMessageBox(box);
    EXPECT_EQ(ExitCode(q), 0) << "no window is opened after the usage box";
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

TEST(StartupProcess, SecondInstanceOnTheSameFolderIsRefusedUntilTheFirstEndsAndItsEntryWindowEndsIt) {
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
        const HWND entry = second.WaitForWindow(L"QuilletLogin", kEntryCaption);
        ASSERT_NE(entry, nullptr) << "the entry window opens instead";
        EXPECT_TRUE(::IsWindow(firstChat)) << "the first instance is not disturbed";
        const int exitButton = 102;  // ucbExit
        ::PostMessageW(entry, WM_COMMAND, MAKEWPARAM(exitButton, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(entry, exitButton)));
        EXPECT_EQ(ExitCode(second), 0) << "no other window is open, so the program ends";
    }
    first.reset();
    QuilletProcess third(Quoted(b));
    const HWND chat = third.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr) << "the folder is free once the first instance has ended";
    EXPECT_EQ(wintest::WindowText(chat), ChatCaption("b.ZPMFChat"));
}

// α and β have no place in code page 1251: an ANSI guard name would make both "?".
// The second starts hidden: no window shows, and it keeps running in the tray.
TEST(StartupProcess, FoldersOutsideTheAnsiCodePageAreClaimedApartAndAHiddenStartShowsNoWindow) {
    testsupport::TempDir dir;
    std::vector<std::unique_ptr<QuilletProcess>> running;
    for (const auto& [folder, hidden] : {std::pair{"Чат α", false}, std::pair{"Чат β", true}}) {
        SCOPED_TRACE(folder);
        std::filesystem::create_directory(std::filesystem::u8path(dir / folder));
        const std::string chat = MakeChat(dir, std::string(folder) + "\\Беседа.ZPMFChat");
        running.push_back(std::make_unique<QuilletProcess>((hidden ? L"/H " : L"") + Quoted(chat)));
        const QuilletProcess& q = *running.back();
        EXPECT_NE(hidden ? q.WaitForAnyWindow(L"QuilletChatWindow") : q.WaitForWindow(L"QuilletChatWindow"), nullptr);
        EXPECT_EQ(q.WaitForMessageBox(hidden ? 1000 : 500), nullptr) << "no warning";
        EXPECT_EQ(q.HasVisibleWindow(), !hidden);
        EXPECT_FALSE(q.WaitForExit(0));
    }
}
