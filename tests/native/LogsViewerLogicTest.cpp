// The logs list: which files are logs, their order and month headings, the first selection, label and layout.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/logsviewer/LogsListLogic.h"
#include "support/TempDir.h"

using namespace logsviewer;

namespace {

std::string Month(int year, int month) { return year == 2024 ? std::to_string(month) : "?"; }

// Items as letters: a heading as its month's number, a file as the letter of its name in names ('?' when its
// text is not its name, indented when grouped).
std::string Letters(const std::vector<ListItem>& items, const std::vector<std::string>& names, bool grouped) {
    std::string letters;
    for (const ListItem& item : items) {
        const auto at = std::find(names.begin(), names.end(), item.fileName);
        if (item.data == kHeadingData)
            letters += item.text;
        else if (at == names.end() || item.text != (grouped ? kFileIndent : "") + item.fileName)
            letters += '?';
        else
            letters += static_cast<char>('a' + (at - names.begin()));
    }
    return letters;
}

}  // namespace

TEST(LogsListLogic, OnlyTheTwoLogNamesMatch) {
    const struct {
        const char* name;
        bool plain, withMilliseconds;
    } cases[] = {
        {"2024-05-01 10-00-00.RTF", true, false},
        {"2024-05-01 10-00-00.rtf", true, false},  // letter case of the extension is the file system's
        {"2024-05-01 10-00-00 123.RTF", false, true},
        {"2024-05-01 10-00-00 12.RTF", false, false},
        {"2024-05-01 10-00-00.RTF.bak", false, false},
        {"x2024-05-01 10-00-00.RTF", false, false},
        {"2024-05-0я 10-00-00.RTF", true, false},  // "?" is one character, not one byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesPattern(c.name, kLogNamePatterns[0]), c.plain) << c.name;
        EXPECT_EQ(MatchesPattern(c.name, kLogNamePatterns[1]), c.withMilliseconds) << c.name;
    }
    EXPECT_TRUE(MatchesPattern("abc.txt", "*.TXT"));
    EXPECT_TRUE(MatchesPattern("a.b.c", "a*c"));
    EXPECT_FALSE(MatchesPattern("a.b.d", "a*c"));
}

TEST(LogsListLogic, CollectsBothPatternsWithTheirSizes) {
    testsupport::TempDir folder;
    testsupport::WriteRaw(folder / "2024-05-01 10-00-00 500.RTF", std::string(7, 'x'));
    testsupport::WriteRaw(folder / "2024-05-01 10-00-00.RTF", std::string(100, 'x'));
    testsupport::WriteRaw(folder / "2024-04-30 09-00-00.RTF", std::string(20, 'x'));
    testsupport::WriteRaw(folder / "Shown.ledger", std::string(1000, 'x'));
    testsupport::WriteRaw(folder / "notes.RTF", std::string(1000, 'x'));
    const LogsCollection logs = CollectLogs(folder.path());
    ASSERT_EQ(logs.names.size(), 3u);
    EXPECT_EQ(logs.count, 3);
    EXPECT_EQ(logs.totalBytes, 127.0);
    EXPECT_EQ(logs.names.back(), "2024-05-01 10-00-00 500.RTF") << "the second pattern's names come after the first's";

    const LogsCollection none = CollectLogs(folder / "missing");
    EXPECT_TRUE(none.names.empty());
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.totalBytes, 0.0);
}

TEST(LogsListLogic, OrderAndMonthHeadings) {
    // As collected: the first pattern's names in the file system's order, then the second's.
    const std::vector<std::string> names = {"2024-05-02 08-00-00.RTF", "2024-04-30 09-00-00.RTF",
                                            "2024-05-01 10-00-00.RTF", "2024-05-01 10-00-00 500.RTF"};
    const struct {
        ListOptions options;
        const char* expected;
    } cases[] = {
        {{true, true, false}, "acdb"},   {{true, false, false}, "bdca"}, {{true, true, true}, "5acd4b"},
        {{true, false, true}, "4b5dca"}, {{false, true, false}, "dcba"},
        {{false, false, true}, "5a4b5cd"},  // unsorted, a heading at every change of month: May shows twice
    };
    for (const auto& c : cases)
        EXPECT_EQ(Letters(BuildListItems(names, c.options, Month), names, c.options.group), c.expected)
            << c.options.sort << c.options.descending << c.options.group;
    // The shown text is the caller's; the file name stays clean.
    const auto items = BuildListItems({"2024-05-02 08-00-00.RTF"}, {true, true, true}, Month,
                                      [](const std::string& name) { return name.substr(0, 19) + " (3)"; });
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, "    2024-05-02 08-00-00 (3)");
    EXPECT_EQ(items[1].fileName, "2024-05-02 08-00-00.RTF");
}

TEST(LogsListLogic, FirstSelection) {
    const struct {
        bool group, descending;
        int items, expected;
    } cases[] = {
        {true, true, 5, 1},   {true, true, 1, 0},  {true, false, 5, 4}, {false, false, 5, 4},
        {false, true, 5, 0},  {true, true, 0, -1}, {false, false, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InitialSelection(c.items, {true, c.descending, c.group}), c.expected)
            << c.group << c.descending << c.items;
}

TEST(LogsListLogic, Label) {
    EXPECT_EQ(TotalLabel(0, "0 байт"), "Всего логов: 0 (0 байт)");
    EXPECT_EQ(TotalLabel(1234, "1,5 МБ"), "Всего логов: 1234 (1,5 МБ)");
    EXPECT_EQ(FoundLabel(2, 5, 0), "Найдено логов: 2 из 5");
    EXPECT_EQ(FoundLabel(0, 5, 1), "Найдено логов: 0 из 5 (не прочитано: 1)") << "a log not read may hold the text";
}

TEST(LogsListLogic, LayoutFollowsTheClientArea) {
    for (const auto& [w, h] : {std::pair{7200, 1950}, std::pair{8610, 5235}, std::pair{12000, 9000}}) {
        const LogsViewerLayout l = LayoutLogsViewer(w, h, 1500, 195, false);
        EXPECT_EQ(l.list, (TwipsRect{60, 60, 2775, h - 615}));
        EXPECT_EQ(l.pane, (TwipsRect{2940, 60, w - 3000, h - 615}));
        EXPECT_EQ(l.close, (TwipsRect{w - 1275, h - 495, 1215, 435}));
        EXPECT_EQ(l.openFolder, (TwipsRect{w - 2655 - 120 - 1215, h - 495, 2655, 435}));
        EXPECT_EQ(l.label, (TwipsRect{180, h - 195 - 180, 1500, 195}));
        // The search box lies between the label and the open-folder button.
        EXPECT_EQ(l.search.left, 180 + 1500 + 120);
        EXPECT_EQ(l.search.left + l.search.width, l.openFolder.left - 120);
    }
}

TEST(LogsListLogic, SearchBoxGivesWayUnlessSearching) {
    // Narrow, with a wide label: an idle box hides rather than touch the label.
    const LogsViewerLayout idle = LayoutLogsViewer(7200, 1950, 2600, 195, false);
    EXPECT_FALSE(idle.searchVisible);
    EXPECT_EQ(idle.label.width, 2600);
    const LogsViewerLayout searching = LayoutLogsViewer(7200, 1950, 2600, 195, true);
    EXPECT_TRUE(searching.searchVisible);
    EXPECT_EQ(searching.search.width, 1200);
    EXPECT_EQ(searching.label.left + searching.label.width + 120, searching.search.left);
}
