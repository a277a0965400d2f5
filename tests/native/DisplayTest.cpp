// How lines are composed in the pane.
#include <gtest/gtest.h>

#include "ChatFixture.h"
#include "app/chatwindow/MessageDisplay.h"
#include "support/RecordingPane.h"

using namespace chatwindow;
using exchange::MessageKind;
using outside::DateTimeRecord;
using namespace testsupport;

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

class DisplayTest : public testsupport::ChatFixture {
protected:
    void SetUp() override {
        ChatFixture::SetUp();
        modSettings::iChatStylePlugin = false;
    }
};

}  // namespace

TEST_F(DisplayTest, TitleLayoutsStampStylesAndColoursByKind) {
    using namespace modSettings;
    const struct {
        MessageKind kind;
        bool separateLine, newStyle;
        int32_t title, body;
    } cases[] = {
        {MessageKind::Mine, true, false, MyMessageTitleColor, MyMessageBodyColor},
        {MessageKind::Other, true, true, OtherMessageTitleColor, OtherMessageBodyColor},
        {MessageKind::System, false, false, SystemMessageTitleColor, SystemMessageBodyColor},
        {MessageKind::Debug, false, true, DebugMessageTitleColor, DebugMessageBodyColor},
        {static_cast<MessageKind>(7), true, false, 0, 0},  // black for an unknown kind
    };
    ShowDebugMessages = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        NameOnSeparateLine = c.separateLine;
        NewStyleTimestamp = c.newStyle;
        Harness h;
        h.display.DisplayMessage("Вова", "Привет", kUtc, c.kind, "");
        const DateTimeRecord local = outside::esSystemTimeToLocalSystemTime(kUtc);
        const std::string date = outside::esFormatDate(local), time = outside::esFormatTime(local);
        const std::string stamp = c.newStyle ? date + " " + time : time + " - " + date;
        const std::string title = c.separateLine ? "Вова  (" + stamp + ")\r\n" : "(" + stamp + ") Вова:  ";
        EXPECT_EQ(h.pane.runs, (std::vector<PaneRun>{{title, 8, true, c.title, 0}, {"Привет\r\n", 9, false, c.body, 0}}));
        EXPECT_EQ(h.pane.depth, 0) << "every BeginAppend has its EndAppend";
    }
}

TEST_F(DisplayTest, TimeMarksEveryFiveClockMinutesAfterTheFirstMessage) {
    modSettings::iChatStylePlugin = true;
    Harness h;
    const auto marks = [&] {
        return std::count_if(h.pane.runs.begin(), h.pane.runs.end(),
                             [](const PaneRun& r) { return r.alignment == kAlignCentre; });
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
    ASSERT_EQ(marks(), 1);
    const auto it =
        std::find_if(h.pane.runs.begin(), h.pane.runs.end(), [](const PaneRun& r) { return r.alignment == kAlignCentre; });
    ASSERT_TRUE(it + 1 < h.pane.runs.end()) << "nothing after the time line";
    EXPECT_EQ(*it, (PaneRun{outside::esFormatTime2(h.now) + "\r\n", 8, false, 0x808080, kAlignCentre}))
        << "grey, at the time of display, not of the message";
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
