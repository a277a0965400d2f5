// Quillet.exe started as users start it: the usage box, missing files, which
// file name counts, and one chat per folder across processes.
#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace

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

TEST(StartupProcess, MissingFileIsReportedThenTheEntryWindowOpens) {
    testsupport::TempDir dir;
    const std::string missing = dir / "нет такого.ZPMFChat";
    QuilletProcess q(L"/H " + Quoted(missing));
    const HWND box = q.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wintest::MessageBoxText(box), missing + "\r\n\r\nФайл не существует.");
    wintest::CloseMessageBox(box);
    EXPECT_NE(q.WaitForWindow(L"", kEntryCaption), nullptr);
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
        EXPECT_NE(second.WaitForWindow(L"", kEntryCaption), nullptr);
        EXPECT_TRUE(::IsWindow(firstChat)) << "the first instance is not disturbed";
    }

    first->Terminate();
    first.reset();
    QuilletProcess third(Quoted(b));
    const HWND chat = third.WaitForWindow(L"QuilletChatWindow");
    ASSERT_NE(chat, nullptr) << "the folder is free once the first instance has ended";
    EXPECT_EQ(wintest::WindowCaption(chat), ChatCaption("b.ZPMFChat"));
}

TEST(StartupProcess, HiddenStartShowsNoWindowButTheTrayIcon) {
    testsupport::TempDir dir;
    const std::string chat = MakeChat(dir, "Скрытый.ZPMFChat");
    QuilletProcess q(L"/H " + Quoted(chat));
    ASSERT_NE(q.WaitForAnyWindow(L"QuilletChatWindow"), nullptr) << "the chat window is loaded";
    ASSERT_NE(q.WaitForAnyWindow(L"QuilletTrayIconWindow"), nullptr) << "with its tray icon";
    ::Sleep(1000);
    EXPECT_FALSE(q.HasVisibleWindow());
    DWORD code = 0;
    EXPECT_FALSE(q.WaitForExit(0, &code)) << "the program keeps running in the tray";
}
