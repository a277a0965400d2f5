// follow through the real quillet-cli: new messages as they land, each once,
// across runs too; files left alone unless the chat says to delete them.
#include <sys/xattr.h>

#include <filesystem>

#include "CliFixture.h"

namespace clitest {
namespace {

constexpr int kLandSeconds = 10;
constexpr const char* kBroken = "Не удалось обработать полученное сообщение";

std::vector<std::string> Texts(const std::string& jsonLines) {
    std::vector<std::string> texts;
    for (const JsonObject& m : ParseJsonLines(jsonLines)) texts.push_back(m.at("text").value_or("(null)"));
    return texts;
}

class FollowTest : public CliTest {
protected:
    void Send(const std::string& text) { ASSERT_EQ(RunCli({"send", chatFile, text}).exitCode, 0); }
    bool AnyHidden() const {
        for (const std::string& name : FolderNames()) {
            char value[32] = {};
            if (::getxattr((chat / name).c_str(), "user.DOSATTRIB", value, sizeof value - 1) > 0) return true;
        }
        return false;
    }
};

TEST_F(FollowTest, PrintsEachMessageOnceAsItLandsAndEndsOnCtrlC) {
    Send("первое");
    const std::string broken = PutCorpusFile("b02-eight-fields.ZPMF");
    {
        CliChild follow({"follow", "--json", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("первое", kLandSeconds)) << follow.Output();
        Send("второе");
        ASSERT_TRUE(follow.WaitForOutput("второе", kLandSeconds)) << follow.Output();
        PutCorpusFile("t02-utf8.ZTMF", 0);  // dropped in by hand
        ASSERT_TRUE(follow.WaitForOutput("мир", kLandSeconds)) << follow.Output();
        const CliResult end = follow.Interrupt();
        EXPECT_EQ(end.exitCode, 0) << end.err;
        EXPECT_EQ(Texts(end.out), (std::vector<std::string>{"первое", "второе", "Hello\nмир\n"}));
        EXPECT_EQ(Count(end.err, kBroken), 1u) << end.err;
        EXPECT_EQ(Count(end.err, broken), 1u) << end.err;
    }
    EXPECT_EQ(FolderNames().size(), 5u) << "nothing renamed or deleted";
    EXPECT_FALSE(AnyHidden());

    // The next run goes on where this one ended.
    CliChild again({"follow", "--json", chat.path()});
    Send("третье");
    ASSERT_TRUE(again.WaitForOutput("третье", kLandSeconds)) << again.Output();
    const CliResult end = again.Interrupt();
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(Texts(end.out), std::vector<std::string>{"третье"});
    EXPECT_EQ(Count(end.err, kBroken), 0u) << end.err;
}

TEST_F(FollowTest, AMessageThatCouldNotBePrintedComesNextTime) {
    Send("первое");
    {
        CliChild follow({"follow", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("первое", kLandSeconds));
        follow.CloseOutput();  // the reader has gone
        Send("второе");
        const CliResult end = follow.Finish(kLandSeconds);
        EXPECT_EQ(end.exitCode, 1) << "follow ends when nobody reads it";
    }
    CliChild again({"follow", chatFile});
    ASSERT_TRUE(again.WaitForOutput("второе", kLandSeconds)) << again.Output();
    EXPECT_EQ(again.Interrupt().out.find("первое"), std::string::npos);
}

TEST_F(FollowTest, AFileWhoseNameBeginsLikeAStateFileCommentIsPrintedOnceAcrossRuns) {
    PutFile("#1.ZTMF", "записка\r\n");
    {
        CliChild follow({"follow", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("записка", kLandSeconds)) << follow.Output();
        follow.Interrupt();
    }
    CliChild again({"follow", chatFile});
    Send("дальше");
    ASSERT_TRUE(again.WaitForOutput("дальше", kLandSeconds)) << again.Output();
    EXPECT_EQ(again.Interrupt().out.find("записка"), std::string::npos);
}

TEST_F(FollowTest, DeletesFilesOnlyWhenTheChatSaysSo) {
    struct Case {
        bool deleteFiles;
        bool hideBroken;
        bool messageStays;
        bool brokenStays;
    };
    const Case cases[] = {
        {false, false, true, true},
        {true, true, false, true},
        {true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("delete ") + (c.deleteFiles ? "on" : "off") + ", hide broken " +
                     (c.hideBroken ? "on" : "off"));
        // A fresh start: what an earlier case printed is not remembered.
        std::filesystem::remove_all(home / "state");
        for (const std::string& name : FolderNames())
            if (chat / name != chatFile) std::filesystem::remove(chat / name);
        SetChatSwitch("Notification Mode\\Delete Message Files", c.deleteFiles);
        SetChatSwitch("Notification Mode\\Hide Broken Message Files", c.hideBroken);
        PutCorpusFile("b02-eight-fields.ZPMF");  // sorts first: done before the message prints
        PutCorpusFile("b03-other.ZPMF");
        CliChild follow({"follow", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("Здравствуйте", kLandSeconds)) << follow.Output();
        EXPECT_EQ(follow.Interrupt().exitCode, 0);
        const std::vector<std::string> names = FolderNames();
        const auto has = [&](const char* name) { return std::count(names.begin(), names.end(), name) == 1; };
        EXPECT_EQ(has("b03-other.ZPMF"), c.messageStays);
        EXPECT_EQ(has("b02-eight-fields.ZPMF"), c.brokenStays);
        EXPECT_TRUE(has("Беседа.ZPMFChat"));
        EXPECT_FALSE(AnyHidden());
    }
}

TEST_F(FollowTest, RefusesAChatFolderAnotherFollowHas) {
    Send("занято");
    CliChild first({"follow", chatFile});
    ASSERT_TRUE(first.WaitForOutput("занято", kLandSeconds));
    const CliResult second = RunCli({"follow", chat.path()});
    EXPECT_EQ(second.exitCode, 5);
    EXPECT_NE(second.err.find(chat.path() + ": В этом каталоге уже идёт чат."), std::string::npos) << second.err;
    EXPECT_EQ(first.Interrupt().exitCode, 0);
    // Once the first has ended, the folder is free.
    CliChild third({"follow", chat.path()});
    Send("свободно");
    EXPECT_TRUE(third.WaitForOutput("свободно", kLandSeconds)) << third.Output();
}

}  // namespace
}  // namespace clitest
