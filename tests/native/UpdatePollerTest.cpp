// The timer's polling over a real inotify watcher and a real folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "ChatFixture.h"
#include "app/exchange/MessageFiles.h"
#include "app/exchange/UpdatePoller.h"
#include "app/exchange/posix/CInotifyWatcher.h"
#include "support/RecordingHost.h"

using namespace exchange;
using namespace testsupport;
using Lines = std::vector<std::string>;

namespace {

void Drop(const std::string& path, const std::string& text) {
    WriteBinaryMessage(path, BuildBinaryRecord({2024, 1, 0, 31, 13, 5, 7, 42}, "u", text, "{OTHER}"));
}

class PollerTest : public testsupport::ChatFixture {
protected:
    // A poller whose watcher watches folder (another folder: deaf to the chat; none: never started).
    UpdatePoller& StartPoller(const std::string& folder) {
        if (!folder.empty()) watcher.StartWatch(folder);
        return poller_.emplace(watcher, dispatcher, AsDisplay(host));
    }

    RecordingHost host;
    CInotifyWatcher watcher;
    MessageDispatcher dispatcher{host};
    std::optional<UpdatePoller> poller_;
};

}  // namespace

TEST_F(PollerTest, FirstTickReadsEverythingThenOnlyChangesStartPasses) {
    Drop(chat / "a.ZPMF", "было до запуска");
    UpdatePoller& poller = StartPoller(chat.path());

    poller.Tick();
    EXPECT_EQ(poller.Passes(), 1);
    ASSERT_EQ(host.lines.size(), 1u);
    poller.Tick();  // creates the notification; hiding a.ZPMF happened before it
    poller.Tick();
    EXPECT_EQ(poller.Passes(), 1);

    Drop(chat / "b.ZPMF", "новое");
    poller.Tick();
    EXPECT_EQ(poller.Passes(), 2);
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(host.lines[1].text, "новое");
    poller.Tick();  // the pass hid b.ZPMF: that is a change too, and finds nothing new
    EXPECT_EQ(poller.Passes(), 3);
    EXPECT_EQ(host.lines.size(), 2u);
}

TEST_F(PollerTest, WithoutAnyChangeARetryComesAfterAboutASecondAndAQuietFolderIsReadEveryFewSeconds) {
    testsupport::TempDir elsewhere;
    UpdatePoller& poller = StartPoller(elsewhere.path());  // as if every notification were lost
    const std::string path = chat / "late.ZPMF";
    Drop(path, "дождался");
    testsupport::WriteRaw(path + ".!sync", "");
    poller.Tick();  // the first pass: still syncing, Retry
    outside::RemoveFile(path + ".!sync");
    for (int i = 1; i < kRetryTicks; ++i) poller.Tick();
    EXPECT_TRUE(Shown(host).empty()) << "not before the retry is due";
    poller.Tick();
    EXPECT_EQ(Shown(host), Lines{"дождался"}) << "retried after " << kRetryTicks << " ticks, long before a quiet pass";
    static_assert(kRetryTicks + 1 < kQuietPassTicks);

    Drop(chat / "missed.ZPMF", "уведомление потерялось");
    for (int i = 1; i < kQuietPassTicks; ++i) poller.Tick();
    EXPECT_EQ(Shown(host).size(), 1u) << "not before the quiet spell is over";
    poller.Tick();
    EXPECT_EQ(Shown(host), (Lines{"дождался", "уведомление потерялось"}));
}

TEST_F(PollerTest, WatcherDiagnosticsBecomeDebugNotices) {
    modSettings::ShowDebugMessages = true;
    UpdatePoller& poller = StartPoller("");
    for (int i = 0; i < 10; ++i) poller.Tick();
    ASSERT_EQ(host.lines.size(), 1u) << "told once, not at every tick";
    EXPECT_EQ(host.lines[0].text, "Watcher.IsSomethingChanged() ==> Path not defined");
}

TEST_F(PollerTest, WatcherRenewsAfterMoreThanAHundredIdlePolls) {
    watcher.StartWatch(chat.path());
    std::string diagnostic;
    for (int i = 0; i < 101; ++i) EXPECT_FALSE(watcher.IsSomethingChanged(diagnostic));
    EXPECT_EQ(watcher.NotificationsRequested(), 1);
    EXPECT_EQ(watcher.IdlePolls(), 101);
    EXPECT_FALSE(watcher.IsSomethingChanged(diagnostic));
    EXPECT_EQ(watcher.NotificationsRequested(), 2) << "the 102nd poll renews";
    EXPECT_EQ(watcher.IdlePolls(), 1);
    Drop(chat / "x.ZPMF", "x");
    EXPECT_TRUE(watcher.IsSomethingChanged(diagnostic)) << "and waits on the new one";
    EXPECT_EQ(watcher.IdlePolls(), 0);
    EXPECT_EQ(diagnostic, "");
}

TEST_F(PollerTest, AChatFolderTakenAwayIsReportedOnceAndReceivingResumesWhenItIsBack) {
    UpdatePoller& poller = StartPoller(chat.path());
    poller.Tick();
    const std::string away = chat.path() + ".away";
    std::filesystem::rename(chat.path(), away);
    for (int i = 0; i < kQuietPassTicks * 2; ++i) poller.Tick();
    const Lines told = host.Texts({MessageKind::System});
    ASSERT_EQ(told.size(), 1u) << "once";
    EXPECT_EQ(told[0].rfind("Папка чата недоступна. Сообщения будут приняты, когда она появится снова.\r\n", 0), 0u);

    std::filesystem::rename(away, chat.path());
    Drop(chat / "back.ZPMF", "снова здесь");
    poller.Tick();
    const std::vector<std::string> after = host.Texts({MessageKind::System, MessageKind::Other});
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1], "Папка чата снова доступна. Сообщения принимаются.\r\n" + chat.path());
    EXPECT_EQ(after[2], "снова здесь") << "at once, not after the next quiet spell";
}
