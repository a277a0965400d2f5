// Start-up decisions over real files, and the folder guard's names and claims.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/startup/CExchangePathProtector.h"
#include "app/startup/modMain.h"
#include "app/support/modAppWindowTitle.h"
#include "app/support/modCommon.h"
#include "app/support/modFormatVersion.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using modMain::StartupDecision;
using outside::CommandLineArgs;
using testsupport::TempDir;

namespace {

struct StartupFixture : ::testing::Test {
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    void Reset() {
        chat.reset();
        modMain::StartHidden = false;
    }
    StartupDecision Parse(std::vector<std::string> args) {
        return modMain::ParseCommandLine(CommandLineArgs(std::move(args)), chat);
    }
    startup::ChatPtr chat;  // the claimed chat of the last parse
    TempDir dir;
    testsupport::ScopedEnv lockFolder{"XDG_RUNTIME_DIR", dir.path()};  // the claims' lock files go with dir
    std::string MakeChat(const std::string& name) {
        const std::string path = dir / name;
        outside::TheTextFile().WriteText(path, "", outside::TextEncoding::Utf8);
        return path;
    }
};

}  // namespace

TEST_F(StartupFixture, DecisionsFromTheCommandLine) {
    const std::string chatFile = MakeChat("Беседа.ZPMFChat");
    const std::string other = MakeChat("Другая.ZPMFChat");
    struct Case {
        std::vector<std::string> args;
        StartupDecision decision;
        bool hidden;
        std::string chatPath;
    } cases[] = {
        {{}, StartupDecision::EntryWindow, false, ""},
        {{"/?"}, StartupDecision::Usage, false, ""},
        {{chatFile, "/?"}, StartupDecision::Usage, false, ""},
        {{"/H"}, StartupDecision::EntryWindow, false, ""},
        {{"/h", chatFile}, StartupDecision::OpenChat, true, chatFile},
        {{chatFile}, StartupDecision::OpenChat, false, chatFile},
        {{chatFile, "/H", other}, StartupDecision::OpenChat, true, other},
    };
    for (const auto& c : cases) {
        Reset();
        EXPECT_EQ(Parse(c.args), c.decision);
        EXPECT_EQ(modMain::StartHidden, c.hidden);
        EXPECT_EQ(chat ? chat->ChatFilePath : "", c.chatPath);
        if (!c.chatPath.empty()) {
            ASSERT_TRUE(chat);
            EXPECT_EQ(chat->ChatFolder, outside::esGetFilePath(c.chatPath));
            EXPECT_TRUE(chat->Claimed());
        }
    }
}

TEST_F(StartupFixture, AMissingOrClaimedChatIsToldAndOpensTheEntryWindowUntilTheClaimIsReleased) {
    const std::string claimed = MakeChat("a.ZPMFChat");
    ASSERT_EQ(Parse({claimed}), StartupDecision::OpenChat);
    startup::ChatPtr first = chat;
    startup::CExchangePathProtector elsewhere;
    EXPECT_FALSE(elsewhere.IsPathProtected(first->ChatFolder + "/sub"));
    const std::pair<std::string, std::string> cases[] = {
        {dir / "нет.ZPMFChat", "нет.ZPMFChat\n\nФайл не существует."},
        {claimed, "\n\nВ этом каталоге уже идёт чат.\nПопробуйте поискать иконку программы в трее."},
    };
    for (const auto& [path, told] : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Parse({"/H", path}), StartupDecision::EntryWindow);
        const std::string shown = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(shown.find(told), std::string::npos) << shown;
        EXPECT_FALSE(chat);
    }
    first.reset();  // the last holder of the chat lets it go
    startup::CExchangePathProtector third;
    EXPECT_FALSE(third.IsPathProtected(dir.path()));

    // With no runtime folder (cron, a bare ssh) claims still meet, in /tmp/quillet-<uid>.
    ::unsetenv("XDG_RUNTIME_DIR");
    startup::CExchangePathProtector mine, theirs;
    EXPECT_FALSE(mine.IsPathProtected(dir.path()));
    EXPECT_TRUE(theirs.IsPathProtected(dir.path()));
    const std::string lock = "/tmp/quillet-" + std::to_string(::getuid()) + "/" + startup::FolderGuardName(dir.path());
    std::remove((lock + ".lock").c_str());
}

// Windows refuses an object name past MAX_PATH, and a refused claim is none: a deep folder gets a name that fits.
TEST(FolderGuardName, ReplacesSeparatorsAndColonsAndFitsDeepFoldersToWhatWindowsAccepts) {
    const std::string prefix = "{66DD9D8B-670E-4254-B796-24EA1C03BF32}-";
    const std::string fits = "D:\\" + std::string(startup::kMaxGuardNameLength - prefix.size() - 3, 'a');
    struct Case {
        std::string path, name;
    } cases[] = {
        {"D:\\Chats\\Team", prefix + "D??Chats?Team"},
        {"D:/Chats/Team", prefix + "D??Chats?Team"},
        {"d:\\chats\\team", prefix + "d??chats?team"},
        {"D:\\Chats\\Team\\", prefix + "D??Chats?Team?"},
        {"\\\\server\\share\\Чат", prefix + "??server?share?Чат"},
        {fits, prefix + "D??" + fits.substr(3)},  // up to the limit, as ever
    };
    for (const auto& c : cases) EXPECT_EQ(startup::FolderGuardName(c.path), c.name);
    const std::string deep = "D:\\Dropbox\\" + std::string(120, 'x') + "\\Чат с очень длинным именем " + std::string(80, 'y');
    const std::string deeper = deep + "\\Ещё";
    for (const std::string& path : {fits + "b", deep, deeper}) {
        const std::string name = startup::FolderGuardName(path);
        EXPECT_LE(outside::Utf8ToUtf16(name).size(), startup::kMaxGuardNameLength) << path;
        EXPECT_EQ(name.rfind(prefix, 0), 0u);
    }
    EXPECT_NE(startup::FolderGuardName(deep), startup::FolderGuardName(deeper));
    EXPECT_EQ(startup::FolderGuardName(deep), startup::FolderGuardName("D:/Dropbox/" + deep.substr(11)))
        << "separators still count as one";
}

TEST(Usage, TextNamesTheProgramAndItsSwitches) {
    EXPECT_EQ(modMain::UsageText("/opt/q/Quillet.exe"),
              modFormatVersion::VersionText() +
                  "\r\n\r\nИспользование:\r\n\r\nQuillet[.EXE] [[/H] FileName]\r\n\r\nFileName - файл чата.\r\n/H - "
                  "скрыть окно чата при запуске.");
}

TEST(VersionAndTitles, FormatsAndCaptions) {
    EXPECT_EQ(modFormatVersion::FormatVersion(1, 9, 129), "1.09.0129");
    EXPECT_EQ(modFormatVersion::FormatVersion(1, 123, 5), "1.123.0005");
    EXPECT_EQ(modAppWindowTitle::AppWindowTitle(""), "Quillet");
    EXPECT_EQ(modAppWindowTitle::AppWindowTitle("", "Other Title"), "Other Title");
    EXPECT_EQ(modAppWindowTitle::AppWindowTitle("Сообщение 1 из 11"), "Quillet :: Сообщение 1 из 11");
    const std::string chat = outside::esBuildFileName2("dir", "Team.ZPMFChat");
    EXPECT_EQ(modAppWindowTitle::DocumentWindowTitle("", chat), "Team.ZPMFChat \u2013 Quillet");
    EXPECT_EQ(modAppWindowTitle::DocumentWindowTitle("Сообщение 12 из 40", chat),
              "Team.ZPMFChat \u2013 Quillet :: Сообщение 12 из 40");
    EXPECT_EQ(modAppWindowTitle::DocumentWindowTitle("", ""), "Untitled \u2013 Quillet");
}

TEST(LineBreaks, EveryKindBecomesCrLf) {
    EXPECT_EQ(modCommon::NormalizeLineBreaks("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(modCommon::NormalizeLineBreaks("\n\r"), "\r\n\r\n");
    EXPECT_EQ(modCommon::NormalizeLineBreaks("\r\n\r\n"), "\r\n\r\n");
}
