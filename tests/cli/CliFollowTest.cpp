// follow through the real quillet-cli: new messages as they land, each once,
// across runs and sync copies too; nothing lost with --ack; files left alone
// unless the chat says to delete them.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <tuple>

#include "CliFixture.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"

namespace clitest {
namespace {

constexpr int kLandSeconds = 10;
constexpr const char* kBrokenLine = "broken message file, left out";

class FollowTest : public CliTest {
protected:
    // The copies Dropbox, Syncthing and the "-MACHINE" services make of a file.
    void PutCopies(const std::string& name, const std::string& tag) const {
        const std::string bytes = testsupport::ReadRaw(chat / name);
        const std::string stem = outside::esGetFileName(name, true);
        const std::string extension = "." + outside::esGetFileExtension(name);
        PutFile(stem + " (Аня's conflicted copy " + tag + ")" + extension, bytes);
        PutFile(stem + ".sync-conflict-" + tag + "-130507-ABCDEFG" + extension, bytes);
        PutFile(stem + "-DESKTOP-" + tag + extension, bytes);
    }
    // Runs follow (with options) until it has printed last, then ends it; the texts it printed.
    std::vector<std::string> FollowUntil(const std::string& last, const std::function<void()>& meanwhile = {},
                                         const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{"follow", "--json"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(chatFile);
        CliChild follow(args);
        if (meanwhile) meanwhile();
        EXPECT_TRUE(follow.WaitForOutput(last, kLandSeconds)) << follow.Output();
        return Texts(follow.Interrupt().out);
    }
};

// The first names are ones the state file must escape (a comment's start, its
// own escape); they sort first, so a second print would come before the rest.
TEST_F(FollowTest, PrintsEachMessageOnceAsItLandsHoldsTheFolderAndEndsOnCtrlC) {
    PutFile("#1.ZTMF", "записка");
    PutFile("%41 скидка.ZTMF", "проценты");
    Send("первое");
    const std::string broken = PutCorpusFile("b02-eight-fields.ZPMF");
    {
        CliChild follow({"follow", "--json", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("первое", kLandSeconds)) << follow.Output();
        Send("второе");
        ASSERT_TRUE(follow.WaitForOutput("второе", kLandSeconds)) << follow.Output();
        PutCorpusFile("t02-utf8.ZTMF", 0);  // dropped in by hand
        ASSERT_TRUE(follow.WaitForOutput("мир", kLandSeconds)) << follow.Output();
        const CliResult second = RunCli({"follow", chat.path()});
        EXPECT_EQ(second.exitCode, 5);
        EXPECT_EQ(second.err, "quillet-cli: " + chat.path() +
                                  ": another Quillet or quillet-cli follow on this machine has this chat folder\n");
        const CliResult end = follow.Interrupt();
        EXPECT_EQ(end.exitCode, 128 + SIGINT) << "Ctrl+C ends it as Ctrl+C ends a program: " << end.err;
        EXPECT_EQ(Texts(end.out), (std::vector<std::string>{"записка", "проценты", "первое", "второе", "Hello\nмир\n"}));
        EXPECT_EQ(end.err, "quillet-cli: " + broken + ": " + kBrokenLine + "\n");
    }
    {
        // The next run goes on where this one ended, until its reader goes.
        CliChild again({"follow", chatFile});
        Send("третье");
        ASSERT_TRUE(again.WaitForOutput("третье", kLandSeconds)) << again.Output();
        again.CloseOutput();
        Send("четвёртое");
        const CliResult end = again.Finish(kLandSeconds);
        EXPECT_EQ(end.exitCode, 1) << "follow ends when nobody reads it";
        EXPECT_EQ(end.err, "") << "a reader that went away is no error to report; the broken file was told once";
    }
    // What could not be printed comes next time. SIGTERM ends it cleanly (Ctrl+C
    // ends with the signal, so only this run writes coverage data).
    CliChild last({"follow", "--json", chat.path()});
    ASSERT_TRUE(last.WaitForOutput("четвёртое", kLandSeconds)) << last.Output();
    const CliResult end = last.Interrupt(kLandSeconds, SIGTERM);
    EXPECT_EQ(end.exitCode, 0) << "a polite request to end is a clean end";
    EXPECT_EQ(Texts(end.out), std::vector<std::string>{"четвёртое"});
}

TEST_F(FollowTest, CopiesASyncServiceMakesPrintNothingNewInOneRunAndAcross) {
    const std::string one = Send("один");
    PutCopies(one, "20240131");
    PutCopies(Send("два", {"--xml"}), "20240131");
    EXPECT_EQ(Texts(RunCli({"read", "--json", chatFile}).out), (std::vector<std::string>{"один", "два"}))
        << "read, one run";

    // One run: each message once, whatever its copies (the dispatcher's own cases: the ledger suite).
    EXPECT_EQ(FollowUntil("два"), (std::vector<std::string>{"один", "два"}));

    // Across runs: a file whose name follow has forgotten (it was gone when
    // follow last saved) comes back, and new copies appear under new names.
    std::filesystem::rename(chat / one, home / one);
    EXPECT_EQ(FollowUntil("пять",
                          [&] {
                              Send("четыре");
                              ::usleep(1500000);
                              std::filesystem::rename(home / one, chat / one);
                              PutCopies(one, "20240201");
                              Send("пять");
                          }),
              (std::vector<std::string>{"четыре", "пять"}));
    EXPECT_EQ(FollowUntil("шесть", [&] { Send("шесть"); }), std::vector<std::string>{"шесть"});
}

TEST_F(FollowTest, WithAckNothingIsLostWhenItsReaderGoes) {
    for (const char* text : {"первое", "второе", "третье"}) Send(text);
    {
        // A bot that handled the first message and died while the second waited.
        CliChild bot({"follow", "--ack", "--json", chatFile});
        ASSERT_TRUE(bot.WaitForOutput("первое", kLandSeconds)) << bot.Output();
        bot.Input("ok\n", false);
        ASSERT_TRUE(bot.WaitForOutput("второе", kLandSeconds)) << bot.Output();
        bot.CloseOutput();
        bot.Input("");
        const CliResult end = bot.Finish(kLandSeconds);
        EXPECT_EQ(end.exitCode, 1);
        EXPECT_NE(end.err.find("standard input ended"), std::string::npos) << end.err;
    }
    CliChild next({"follow", "--ack", "--json", chatFile});
    ASSERT_TRUE(next.WaitForOutput("второе", kLandSeconds)) << next.Output();
    next.Input("ok\n", false);
    ASSERT_TRUE(next.WaitForOutput("третье", kLandSeconds)) << next.Output();
    next.Input("ok\n", false);
    EXPECT_EQ(Texts(next.Interrupt().out), (std::vector<std::string>{"второе", "третье"}));
}

TEST_F(FollowTest, NewSinceAndOthersLeaveMessagesOut) {
    PutCorpusFile("b03-other.ZPMF");
    Send("моё");
    // What --others leaves out stays for a run without it.
    EXPECT_EQ(FollowUntil("Привет", [&] {
                  Send("ещё моё");
                  PutCorpusFile("x01-utc.ZXMF", 0);
              }, {"--others"}),
              (std::vector<std::string>{"Здравствуйте", "Привет"}));
    EXPECT_EQ(FollowUntil("ещё моё"), (std::vector<std::string>{"моё", "ещё моё"}));

    // --new: the backlog of a first start is skipped for good; later starts print what came meanwhile.
    std::filesystem::remove_all(home / "state");
    EXPECT_EQ(FollowUntil("новое", [&] {
                  ::usleep(1500000);
                  Send("новое");
              }, {"--new"}),
              std::vector<std::string>{"новое"});
    Send("пока не было");
    EXPECT_EQ(FollowUntil("пока не было", {}, {"--new"}), std::vector<std::string>{"пока не было"});
}

TEST_F(FollowTest, StopRequestsEndItWhileItsOutputIsBlocked) {
    // Far more than a pipe holds, so that follow blocks writing it.
    ASSERT_EQ(RunCli({"send", chatFile, "-"}, std::string(300000, 'x')).exitCode, 0);
    // The first request decides the end: a Ctrl+C after SIGTERM still ends cleanly.
    for (const auto& [first, then, status] : {std::tuple{SIGTERM, SIGINT, 0}, std::tuple{SIGINT, 0, 128 + SIGINT}}) {
        std::filesystem::remove_all(home / "state");
        CliChild follow({"follow", chatFile});
        ::usleep(1500000);
        if (then) follow.Interrupt(0, first, false);
        EXPECT_EQ(follow.Interrupt(kLandSeconds, then ? then : first, false).exitCode, status) << "signal " << first;
    }
}

TEST_F(FollowTest, DeletesFilesOnlyWhenTheChatSaysSo) {
    // Delete, hide broken: whether the message and the broken file stay.
    const std::tuple<bool, bool, bool, bool> cases[] = {
        {false, false, true, true}, {true, true, false, true}, {true, false, false, false}};
    for (const auto& [deleteFiles, hideBroken, messageStays, brokenStays] : cases) {
        SCOPED_TRACE(std::string("delete ") + (deleteFiles ? "on" : "off") + ", hide broken " +
                     (hideBroken ? "on" : "off"));
        // A fresh start: what an earlier case printed is not remembered.
        std::filesystem::remove_all(home / "state");
        RemoveMessageFiles();
        outside::SettingsStore().WriteBoolean("Notification Mode\\Delete Message Files", chatFile, deleteFiles);
        outside::SettingsStore().WriteBoolean("Notification Mode\\Hide Broken Message Files", chatFile, hideBroken);
        PutCorpusFile("b02-eight-fields.ZPMF");  // sorts first: done before the message prints
        PutCorpusFile("b03-other.ZPMF");
        CliChild follow({"follow", chatFile});
        ASSERT_TRUE(follow.WaitForOutput("Здравствуйте", kLandSeconds)) << follow.Output();
        EXPECT_EQ(follow.Interrupt(kLandSeconds, SIGTERM).exitCode, 0);
        const std::vector<std::string> names = FolderNames();
        const auto has = [&](const char* name) { return std::count(names.begin(), names.end(), name) == 1; };
        EXPECT_EQ(has("b03-other.ZPMF"), messageStays);
        EXPECT_EQ(has("b02-eight-fields.ZPMF"), brokenStays);
        EXPECT_TRUE(has("Беседа.ZPMFChat"));
        EXPECT_FALSE(std::regex_search(Snapshot(), std::regex(R"(\[[^\]])"))) << "nothing hidden";
    }
}

}  // namespace
}  // namespace clitest
