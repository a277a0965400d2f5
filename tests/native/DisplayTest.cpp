// How lines are composed in the pane: layouts, stamps, colours, spacers, time
// marks, file names, debug lines, blinking and the log rewrite.
#include <gtest/gtest.h>

#include "ChatFixture.h"
#include "app/chatwindow/MessageDisplay.h"
#include "support/RecordingPane.h"

using namespace chatwindow;
using exchange::MessageKind;
using outside::DateTimeRecord;
using testsupport::RecordingPane;
using testsupport::PaneRun;

namespace {

const DateTimeRecord kUtc{2024, 1, 0, 31, 13, 5, 7, 42};

struct Harness {
    RecordingPane pane;
    bool active = false;
    int blinks = 0;
    std::vector<std::pair<bool, bool>> saves;
    DateTimeRecord now{2024, 1, 0, 31, 16, 0, 30, 0};
    MessageDisplay display{pane,
                           {[this] { return active; }, [this] { ++blinks; },
                            [this](bool silent, bool reset) {
                                saves.emplace_back(silent, reset);
                                return true;
                            },
                            [this] { return now; }}};
};

std::string Stamp(bool newStyle) {
    const DateTimeRecord local = outside::esSystemTimeToLocalSystemTime(kUtc);
    const std::string date = outside::esFormatDate(local);
    const std::string time = outside::esFormatTime(local);
    return newStyle ? date + " " + time : time + " - " + date;
}

class DisplayTest : public testsupport::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        modSettings::iChatStylePlugin = false;
    }
};

}  // namespace

TEST_F(DisplayTest, TitleLayoutsAndStampStyles) {
    const int32_t title = modSettings::OtherMessageTitleColor;
    const int32_t body = modSettings::OtherMessageBodyColor;
    struct Case {
        bool separateLine, newStyle;
        std::vector<PaneRun> runs;
    } cases[] = {
        {true, false, {{"Вова  (" + Stamp(false) + ")\r\n", 8, true, title, 0}, {"Привет\r\n", 9, false, body, 0}}},
        {true, true, {{"Вова  (" + Stamp(true) + ")\r\n", 8, true, title, 0}, {"Привет\r\n", 9, false, body, 0}}},
        {false, false, {{"(" + Stamp(false) + ") Вова:  ", 8, true, title, 0}, {"Привет\r\n", 9, false, body, 0}}},
        {false, true, {{"(" + Stamp(true) + ") Вова:  ", 8, true, title, 0}, {"Привет\r\n", 9, false, body, 0}}},
    };
    for (const auto& c : cases) {
        modSettings::NameOnSeparateLine = c.separateLine;
        modSettings::NewStyleTimestamp = c.newStyle;
        Harness h;
        h.display.DisplayMessage("Вова", "Привет", kUtc, MessageKind::Other, "");
        EXPECT_EQ(h.pane.runs, c.runs);
        EXPECT_EQ(h.pane.depth, 0) << "every BeginAppend has its EndAppend";
    }
}

TEST_F(DisplayTest, ColoursByKindAndBlackForAnUnknownKind) {
    modSettings::ShowDebugMessages = true;
    struct Case {
        MessageKind kind;
        int32_t title, body;
    } cases[] = {
        {MessageKind::Mine, modSettings::MyMessageTitleColor, modSettings::MyMessageBodyColor},
        {MessageKind::Other, modSettings::OtherMessageTitleColor, modSettings::OtherMessageBodyColor},
        {MessageKind::System, modSettings::SystemMessageTitleColor, modSettings::SystemMessageBodyColor},
        {MessageKind::Debug, modSettings::DebugMessageTitleColor, modSettings::DebugMessageBodyColor},
        {static_cast<MessageKind>(7), 0, 0},
    };
    for (const auto& c : cases) {
        Harness h;
        h.display.DisplayMessage("u", "t", kUtc, c.kind, "");
        ASSERT_EQ(h.pane.runs.size(), 2u);
        EXPECT_EQ(h.pane.runs[0].colour, c.title) << static_cast<int>(c.kind);
        EXPECT_EQ(h.pane.runs[1].colour, c.body) << static_cast<int>(c.kind);
    }
    EXPECT_EQ(modSettings::MyMessageTitleColor, 0x008000) << "defaults are in place";
}

TEST_F(DisplayTest, TimeMarksEveryFiveClockMinutesAfterTheFirstMessage) {
    modSettings::iChatStylePlugin = true;
    Harness h;
    const auto marks = [&] {
        int n = 0;
        for (const PaneRun& r : h.pane.runs)
            if (r.alignment == kAlignCentre) {
                EXPECT_EQ(r.size, 8);
                EXPECT_EQ(r.colour, 0x808080);
                EXPECT_FALSE(r.bold);
                ++n;
            }
        return n;
    };
    h.display.DisplayMessage("u", "1", kUtc, MessageKind::Other, "");
    EXPECT_EQ(marks(), 0) << "the first message after start has no time line";
    h.now.minute = 4;
    h.now.second = 59;  // 16:04:59 is four clock minutes after 16:00:30
    h.display.DisplayMessage("u", "2", kUtc, MessageKind::Other, "");
    EXPECT_EQ(marks(), 0);
    h.now.minute = 5;
    h.now.second = 0;
    h.display.DisplayMessage("u", "3", kUtc, MessageKind::Other, "");
    EXPECT_EQ(marks(), 1);
    const auto it = std::find_if(h.pane.runs.begin(), h.pane.runs.end(), [](const PaneRun& r) { return r.alignment == 2; });
    EXPECT_EQ(it->text, outside::esFormatTime2(h.now) + "\r\n") << "the time of display, not of the message";
    EXPECT_EQ((it + 1)->text, " \r\n") << "a spacer follows the time line";
    h.now.minute = 9;
    h.display.DisplayMessage("u", "4", kUtc, MessageKind::Other, "");
    EXPECT_EQ(marks(), 1);
    h.pane.Clear();
    h.now.minute = 10;
    h.display.DisplayMessage("u", "5", kUtc, MessageKind::Other, "");
    EXPECT_EQ(marks(), 1) << "clearing the pane does not reset the last mark";
}

TEST_F(DisplayTest, SpacersTrimmingFileNamesDebugLinesBlinkingAndSaves) {
    modSettings::ShowMessageFileNames = true;
    Harness h;
    h.active = true;
    h.display.ShowDebugMessage("hidden");
    EXPECT_TRUE(h.pane.runs.empty() && h.saves.empty()) << "debug lines switched off: nothing shown, nothing saved";
    h.display.DisplayMessage(" \r\n ", "\r\n  строка 1\r\nстрока 2  \r\n\r\n", kUtc, MessageKind::Mine, "f {X}.ZPMF");
    ASSERT_EQ(h.pane.runs.size(), 3u) << "no spacer before the first message";
    EXPECT_EQ(h.pane.runs[0].text.substr(0, 16), "Анонимус") << "a blank name";
    EXPECT_EQ(h.pane.runs[1].text, "строка 1\r\nстрока 2\r\n") << "the body trimmed";
    EXPECT_EQ(h.pane.runs[2], (PaneRun{"f {X}.ZPMF\r\n", 7, false, modSettings::DebugMessageBodyColor, 0}));
    EXPECT_EQ(h.blinks, 0) << "the window is active";
    h.active = false;
    h.display.DisplayMessage("b", "2", kUtc, MessageKind::Mine, "");
    h.display.ShowSystemMessage("notice");
    ASSERT_EQ(h.pane.runs.size(), 9u) << "spacer, title, body: no file line without a name, nor for system lines";
    EXPECT_EQ(h.pane.runs[3], (PaneRun{" \r\n", 3, false, 0, 0})) << "a spacer between messages";
    modSettings::ShowDebugMessages = true;
    h.display.ShowDebugMessage("shown");
    ASSERT_EQ(h.pane.runs.size(), 12u);
    EXPECT_EQ(h.pane.runs[10].text.substr(0, 19), "Torvane - Quillet  ");
    EXPECT_EQ(h.blinks, 2) << "own and system messages blink while inactive, debug lines never";
    EXPECT_EQ(h.saves, (std::vector<std::pair<bool, bool>>(4, {true, false}))) << "every line rewrites the log";
    modSettings::ShowMessageFileNames = false;
    h.display.DisplayMessage("u", "t", kUtc, MessageKind::Other, "f.ZPMF");
    EXPECT_EQ(h.pane.runs.size(), 15u) << "no file line with the setting off";
}

TEST_F(DisplayTest, BadTimeFailsTheCallButLeavesThePaneUnlocked) {
    Harness h;
    EXPECT_THROW(h.display.DisplayMessage("u", "t", DateTimeRecord{2024, 13, 0, 1, 0, 0, 0, 0}, MessageKind::Other, ""),
                 outside::RuntimeError);
    EXPECT_EQ(h.pane.depth, 0);
    EXPECT_TRUE(h.pane.runs.empty());
}
