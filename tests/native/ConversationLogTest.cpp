// The conversation log: when files are made, how they are named, and what a
// failed save does.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChatFixture.h"
#include "app/chatwindow/ConversationLog.h"
#include "support/RecordingPane.h"

using chatwindow::ConversationLog;
using outside::DateTimeRecord;
using testsupport::ReadRaw;
using testsupport::RecordingPane;

namespace {

class LogTest : public testsupport::ChatFixture {
protected:
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        if (!std::filesystem::exists(std::filesystem::u8path(modSettings::LogsFolder))) return names;
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(modSettings::LogsFolder))) {
            const auto u8 = e.path().filename().u8string();
            names.emplace_back(u8.begin(), u8.end());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    RecordingPane pane;
    DateTimeRecord now{2024, 3, 0, 9, 8, 7, 6, 5};
    ConversationLog log{pane, [this] { return now; }};
};

}  // namespace

TEST_F(LogTest, EmptyPaneSavesNothingAndMakesNoFolder) {
    for (bool silent : {true, false})
        for (bool reset : {true, false}) EXPECT_TRUE(log.SaveLog(silent, reset));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(modSettings::LogsFolder)));
    EXPECT_EQ(pane.saves, 0);
}

TEST_F(LogTest, OneFilePerPaneGenerationNamedByLocalTime) {
    pane.AppendText("первое\r\n", 9, false, 0, 0);
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), std::vector<std::string>{"2024-03-09 08-07-06.RTF"});
    pane.AppendText("второе\r\n", 9, false, 0, 0);
    now.second = 40;
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), std::vector<std::string>{"2024-03-09 08-07-06.RTF"}) << "rewritten, not renamed";
    EXPECT_EQ(ReadRaw(log.CurrentLogPath()), "первое\r\nвторое\r\n");

    EXPECT_TRUE(log.SaveLog(true, true));
    EXPECT_EQ(log.CurrentLogPath(), "");
    pane.Clear();
    pane.AppendText("новое поколение\r\n", 9, false, 0, 0);
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), (std::vector<std::string>{"2024-03-09 08-07-06.RTF", "2024-03-09 08-07-40.RTF"}));
}

TEST_F(LogTest, SameSecondGetsMillisecondsAndNoLogIsEverReplaced) {
    pane.AppendText("x\r\n", 9, false, 0, 0);
    for (int generation = 0; generation < 3; ++generation) {
        EXPECT_TRUE(log.SaveLog(true, true));
    }
    // Generation 3 found "…06 005.RTF" taken by generation 2 and moved on.
    EXPECT_EQ(Files(), (std::vector<std::string>{"2024-03-09 08-07-06 005.RTF", "2024-03-09 08-07-06 006.RTF",
                                                 "2024-03-09 08-07-06.RTF"}));
}

TEST_F(LogTest, FailedSilentSaveKeepsTheNameForTheNextTry) {
    pane.AppendText("x\r\n", 9, false, 0, 0);
    pane.failSaves = true;
    EXPECT_FALSE(log.SaveLog(true, true));
    const std::string kept = log.CurrentLogPath();
    EXPECT_FALSE(kept.empty());
    pane.failSaves = false;
    now.minute = 30;
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(log.CurrentLogPath(), kept);
}

TEST_F(LogTest, FailedLoudSaveAsksWithThePathFirst) {
    pane.AppendText("x\r\n", 9, false, 0, 0);
    pane.failSaves = true;
    ::testing::internal::CaptureStderr();
    // Nobody to ask on POSIX: the answer is Ignore, which goes on as if saved.
    EXPECT_TRUE(log.SaveLog(false, true));
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown.rfind(outside::esBuildFileName2(modSettings::LogsFolder, "2024-03-09 08-07-06.RTF") +
                              "\n\nНе удалось сохранить лог.\n\nОшибка 0x80070005: Отказано в доступе.",
                          0),
              0u)
        << shown;
    EXPECT_EQ(log.CurrentLogPath(), "") << "Ignore counts as saved";
}
