// One RTF fragment per message: escaping, colours, sizes and paragraph alignment.
#include <gtest/gtest.h>

#include "app/chatwindow/RtfRuns.h"

using chatwindow::RunsToPaneRtf;
using chatwindow::RunsToRtf;
using chatwindow::TextRun;

TEST(RtfRuns, EscapesAndEncodesText) {
    struct Case {
        std::string text, body;
    } cases[] = {
        {"a{b}c\\d", "a\\{b\\}c\\\\d"},
        {"Я", "\\u1071?"},
        {"😀", "\\u-10179?\\u-8704?"},
        {"x\ty", "x\\tab y"},
        {"bell\a", "bell"},
    };
    for (const auto& c : cases) {
        const std::string rtf = RunsToRtf({{c.text, 9, false, 0, 0}}, "Tahoma");
        EXPECT_NE(rtf.find("\\b0 " + c.body), std::string::npos) << rtf;
    }
}

TEST(RtfRuns, FormatsColoursAndParagraphs) {
    const std::string rtf = RunsToRtf({{" \r\n", 3, false, 0x000000, 0},
                                       {"13:05\r\n", 8, false, 0x808080, 2},
                                       {"Вова  (x)\r\n", 8, true, 0x0080FF, 0},
                                       {"привет\r\n", 9, false, 0x000000, 0}},
                                      "Tahoma");
    EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red128\\green128\\blue128;\\red255\\green128\\blue0;}"),
              std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("\\pard\\ql\\plain\\f0\\fs6\\cf1\\b0  \\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\pard\\qc\\plain\\f0\\fs16\\cf2\\b0 13:05\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\fs16\\cf3\\b \\u1042?"), std::string::npos) << rtf;
    EXPECT_EQ(std::count(rtf.begin(), rtf.end(), '\n'), 5) << "the header and four paragraphs, none left open";
}

TEST(RtfRuns, ARunWithoutLineBreakContinuesItsParagraph) {
    // Title and body on one line: the body's alignment is the paragraph's.
    const std::string rtf = RunsToRtf({{"(t) n:  ", 8, true, 0xFF, 2}, {"body\r\n", 9, false, 0, 0}}, "Tahoma");
    EXPECT_NE(rtf.find("\\pard\\ql\\plain\\f0\\fs16\\cf1\\b (t) n:  \\plain\\f0\\fs18\\cf2\\b0 body\\par"),
              std::string::npos)
        << rtf;
}

TEST(RtfRuns, ThePaneFormIsTheLogFormWithoutItsResets) {
    // Wine's RichEdit slows down with every \plain it holds; the log keeps its bytes.
    const std::vector<TextRun> runs = {
        {" \r\n", 3, false, 0, 0}, {"(t) Вова:  ", 8, true, 0xFF, 0}, {"тело\r\n", 9, false, 0, 0}, {"13:05\r\n", 8, false, 0x808080, 2}};
    std::string log = RunsToRtf(runs, "Tahoma");
    const std::string pane = RunsToPaneRtf(runs, "Tahoma");
    int resets = 0;
    for (size_t at; (at = log.find("\\plain")) != std::string::npos; ++resets) log.erase(at, 6);
    EXPECT_EQ(resets, 4);
    EXPECT_EQ(pane, log);
}
