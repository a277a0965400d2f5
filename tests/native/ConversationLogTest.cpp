// The conversation log: its files and names, and that the file is the whole pane's document at every save.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "ChatFixture.h"
#include "app/chatwindow/ConversationLog.h"
#include "app/chatwindow/RtfRuns.h"
#include "outside/Support.h"
#include "support/RecordingPane.h"

using chatwindow::TextRun;
using testsupport::ReadRaw;
using Names = std::vector<std::string>;

namespace {

class LogTest : public testsupport::ChatFixture {
protected:
    Names Files() const { return testsupport::FolderNames(modSettings::LogsFolder); }
    void Append(const std::string& line) { pane.AppendText(line + "\r\n", 9, false, 0, 0); }
    // However it was saved, the log is the pane's document with one more paragraph mark.
    void ExpectLogIsThePane() {
        ASSERT_FALSE(log.CurrentLogPath().empty());
        std::string whole = chatwindow::RunsToRtf(pane.runs, chatwindow::kPaneFont);
        whole.insert(whole.size() - 1, "\\par\n");
        EXPECT_EQ(ReadRaw(log.CurrentLogPath()), whole);
    }
    testsupport::RecordingPane pane;
    outside::DateTimeRecord now{2024, 3, 0, 9, 8, 7, 6, 5};
    chatwindow::ConversationLog log{pane, [this] { return now; }};
};

}  // namespace

TEST_F(LogTest, OneFilePerPaneGenerationNamedByLocalTimeAndNoneEverReplaced) {
    for (bool silent : {true, false})
        for (bool reset : {true, false}) EXPECT_TRUE(log.SaveLog(silent, reset));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(modSettings::LogsFolder))) << "empty pane: no folder";

    Append("первое");
    EXPECT_TRUE(log.SaveLog(true, false));
    Append("второе");
    now.second = 40;
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(Files(), Names{"2024-03-09 08-07-06.RTF"}) << "rewritten, not renamed";
    ExpectLogIsThePane();
    EXPECT_TRUE(log.SaveLog(true, true));
    EXPECT_EQ(log.CurrentLogPath(), "");
    pane.Clear();
    Append("новое поколение");
    EXPECT_TRUE(log.SaveLog(true, false));
    ExpectLogIsThePane();
    // The same second again (the first "x" still joins the last log): the
    // milliseconds form, moving on past a name taken.
    now.second = 6;
    for (int generation = 0; generation < 3; ++generation) {
        Append("x");
        EXPECT_TRUE(log.SaveLog(true, true));
        pane.Clear();
    }
    EXPECT_EQ(Files(), (Names{"2024-03-09 08-07-06 005.RTF", "2024-03-09 08-07-06 006.RTF", "2024-03-09 08-07-06.RTF",
                              "2024-03-09 08-07-40.RTF"}));
}

TEST_F(LogTest, AppendedLogIsTheWholePaneAfterEverySave) {
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
    ino_t inode = 0;
    for (size_t i = 0; i < saves.size(); ++i) {
        SCOPED_TRACE(i);
        for (const TextRun& r : saves[i]) pane.AppendText(r.text, r.size, r.bold, r.colour, r.alignment);
        ASSERT_TRUE(log.SaveLog(true, false));
        ExpectLogIsThePane();
        struct stat st {};
        ::stat(log.CurrentLogPath().c_str(), &st);
        if (i == 1) {
            EXPECT_EQ(st.st_ino, inode) << "no new colour: written in place, not replaced";
        }
        inode = st.st_ino;
    }
    EXPECT_EQ(Files().size(), 1u);
}

TEST_F(LogTest, AFileChangedOrRemovedBehindOurBackIsWrittenWhole) {
    Append("первое");
    ASSERT_TRUE(log.SaveLog(true, false));
    const std::string path = log.CurrentLogPath();
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"removed", [&] { outside::RemoveFile(path); }},
        {"cut short", [&] { testsupport::WriteRaw(path, ReadRaw(path).substr(0, 20)); }},
        {"grown", [&] { testsupport::WriteRaw(path, ReadRaw(path) + "мусор"); }},
    };
    for (const auto& [what, damage] : cases) {
        SCOPED_TRACE(what);
        damage();
        Append(what);
        ASSERT_TRUE(log.SaveLog(true, false));
        EXPECT_EQ(log.CurrentLogPath(), path);
        ExpectLogIsThePane();
    }
}

TEST_F(LogTest, AFailedSaveLosesNothingAndALoudOneAsksWithThePathFirst) {
    const std::string blocker = outside::esGetFilePath(modSettings::LogsFolder);  // a file where a folder should be
    std::filesystem::create_directories(std::filesystem::u8path(outside::esGetFilePath(blocker)));
    testsupport::WriteRaw(blocker, "not a folder");
    Append("x");
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

    pane.Clear();
    Append("не пропадёт");
    EXPECT_FALSE(log.SaveLog(true, true));
    const std::string kept = log.CurrentLogPath();
    EXPECT_FALSE(kept.empty()) << "a silent failure keeps the name for the next try";
    outside::RemoveFile(blocker);
    now.minute = 30;
    Append("и это");
    EXPECT_TRUE(log.SaveLog(true, false));
    EXPECT_EQ(log.CurrentLogPath(), kept);
    ExpectLogIsThePane();

    // An append that fails (the file is a folder now) loses nothing either.
    outside::RemoveFile(kept);
    std::filesystem::create_directory(std::filesystem::u8path(kept));
    Append("третье");
    EXPECT_FALSE(log.SaveLog(true, false));
    std::filesystem::remove(std::filesystem::u8path(kept));
    EXPECT_TRUE(log.SaveLog(true, false));
    ExpectLogIsThePane();
}
