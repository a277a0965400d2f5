// The conversation log: when files are made, how they are named, how a save
// adds only what is new, and that the file is a whole document that reads
// back as the pane at every save, whatever happened to it in between.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "ChatFixture.h"
#include "app/chatwindow/ConversationLog.h"
#include "app/chatwindow/RtfRuns.h"
#include "outside/Support.h"
#include "support/RecordingPane.h"
#include "support/RtfReader.h"

using chatwindow::ConversationLog;
using chatwindow::TextRun;
using outside::DateTimeRecord;
using testsupport::ReadRaw;
using testsupport::RecordingPane;

namespace {

ino_t Inode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

class LogTest : public testsupport::ChatFixture {
protected:
    std::vector<std::string> Files() const { return testsupport::FolderNames(modSettings::LogsFolder); }
    // What a reader of the log sees, against what the pane shows.
    void ExpectLogIsThePane() {
        ASSERT_FALSE(log.CurrentLogPath().empty());
        EXPECT_EQ(testsupport::ReadRtfRuns(ReadRaw(log.CurrentLogPath())), testsupport::Normalized(pane.runs));
    }
    // Blocks the logs folder: a file stands where its parent folder should be.
    std::string BlockLogsFolder() {
        const std::string blocker = outside::esGetFilePath(modSettings::LogsFolder);
        std::filesystem::create_directories(std::filesystem::u8path(outside::esGetFilePath(blocker)));
        testsupport::WriteRaw(blocker, "not a folder");
        return blocker;
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
}

TEST_F(LogTest, OneFilePerPaneGenerationNamedByLocalTime) {
    pane.AppendText("первое\r\n", 9, false, 0, 0);
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), std::vector<std::string>{"2024-03-09 08-07-06.RTF"});
    pane.AppendText("второе\r\n", 9, false, 0, 0);
    now.second = 40;
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), std::vector<std::string>{"2024-03-09 08-07-06.RTF"}) << "rewritten, not renamed";
    ExpectLogIsThePane();

    EXPECT_TRUE(log.SaveLog(true, true));
    EXPECT_EQ(log.CurrentLogPath(), "");
    pane.Clear();
    pane.AppendText("новое поколение\r\n", 9, false, 0, 0);
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), (std::vector<std::string>{"2024-03-09 08-07-06.RTF", "2024-03-09 08-07-40.RTF"}));
    ExpectLogIsThePane();
}

TEST_F(LogTest, SameSecondGetsMillisecondsAndNoLogIsEverReplaced) {
    for (int generation = 0; generation < 3; ++generation) {
        pane.AppendText("x\r\n", 9, false, 0, 0);
        EXPECT_TRUE(log.SaveLog(true, true));
        pane.Clear();
    }
    // Generation 3 found "…06 005.RTF" taken by generation 2 and moved on.
    EXPECT_EQ(Files(), (std::vector<std::string>{"2024-03-09 08-07-06 005.RTF", "2024-03-09 08-07-06 006.RTF",
                                                 "2024-03-09 08-07-06.RTF"}));
}

TEST_F(LogTest, AppendedLogReadsBackAsTheWholePaneAfterEverySave) {
    // Saves of one line or several, a colour first seen mid-way, a centred
    // time line, a title without line break, text that RTF must escape.
    const std::vector<std::vector<TextRun>> saves = {
        {{"13:05\r\n", 8, false, 0x808080, 2},
         {"(13:05) Вова:  ", 8, true, 0x800000, 0},
         {"Привет {всем} \\ 😀\r\n", 9, false, 0, 0}},
        {{" \r\n", 3, false, 0, 0}, {"(13:06) Вова:  ", 8, true, 0x800000, 0}, {"ещё\r\n", 9, false, 0, 0}},
        {{"Я  (13:11)\r\n", 8, true, 0x008000, 0}, {"\r\n", 9, false, 0x008000, 0}, {"таб\tтут\r\n", 9, false, 0, 0}},
        {{"файл.ZPMF\r\n", 7, false, 0x0000FF, 0}},
    };
    std::string before;
    ino_t inode = 0;
    for (size_t i = 0; i < saves.size(); ++i) {
        SCOPED_TRACE(i);
        for (const TextRun& r : saves[i]) pane.AppendText(r.text, r.size, r.bold, r.colour, r.alignment);
        ASSERT_TRUE(log.SaveLog(true, false));
        ExpectLogIsThePane();
        const std::string file = ReadRaw(log.CurrentLogPath());
        EXPECT_EQ(file.back(), '}');
        if (i == 1) {  // no new colour: the same file grew at its end and kept everything before
            const size_t kept = before.rfind("\\par\n}");
            EXPECT_EQ(file.compare(0, kept, before, 0, kept), 0);
            EXPECT_EQ(Inode(log.CurrentLogPath()), inode) << "written in place, not replaced";
        }
        before = file;
        inode = Inode(log.CurrentLogPath());
    }
    EXPECT_EQ(Files().size(), 1u);
}

TEST_F(LogTest, AFileChangedOrRemovedBehindOurBackIsWrittenWhole) {
    pane.AppendText("первое\r\n", 9, false, 0, 0);
    ASSERT_TRUE(log.SaveLog(true, false));
    const std::string path = log.CurrentLogPath();
    struct Case {
        const char* what;
        std::function<void()> damage;
    } cases[] = {
        {"removed", [&] { outside::RemoveFile(path); }},
        {"cut short", [&] { testsupport::WriteRaw(path, ReadRaw(path).substr(0, 20)); }},
        {"grown", [&] { testsupport::WriteRaw(path, ReadRaw(path) + "мусор"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.damage();
        pane.AppendText(std::string(c.what) + "\r\n", 9, false, 0, 0);
        ASSERT_TRUE(log.SaveLog(true, false));
        EXPECT_EQ(log.CurrentLogPath(), path);
        ExpectLogIsThePane();
    }
}

TEST_F(LogTest, FailedSilentSaveKeepsNameAndLinesForTheNextTry) {
    const std::string blocker = BlockLogsFolder();
    pane.AppendText("не пропадёт\r\n", 9, false, 0, 0);
    EXPECT_FALSE(log.SaveLog(true, true));
    const std::string kept = log.CurrentLogPath();
    EXPECT_FALSE(kept.empty());
    outside::RemoveFile(blocker);
    now.minute = 30;
    pane.AppendText("и это\r\n", 9, false, 0, 0);
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(log.CurrentLogPath(), kept);
    ExpectLogIsThePane();

    // An append that fails (the file is a folder now) loses nothing either.
    outside::RemoveFile(kept);
    std::filesystem::create_directory(std::filesystem::u8path(kept));
    pane.AppendText("третье\r\n", 9, false, 0, 0);
    EXPECT_FALSE(log.SaveLog(true, false));
    std::filesystem::remove(std::filesystem::u8path(kept));
    EXPECT_TRUE(log.SaveLog(true, false));
    ExpectLogIsThePane();
}

TEST_F(LogTest, FailedLoudSaveAsksWithThePathFirst) {
    BlockLogsFolder();
    pane.AppendText("x\r\n", 9, false, 0, 0);
    ::testing::internal::CaptureStderr();
    // Nobody to ask on POSIX: the answer is Ignore, which goes on as if saved.
    EXPECT_TRUE(log.SaveLog(false, true));
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown.rfind(outside::esBuildFileName2(modSettings::LogsFolder, "2024-03-09 08-07-06.RTF") +
                              "\n\nНе удалось сохранить лог.\n\nОшибка ",
                          0),
              0u)
        << shown;
    EXPECT_EQ(log.CurrentLogPath(), "") << "Ignore counts as saved";
}
