// Finding a word in the logs: folding, hits, the text of RTF logs, and the
// search over a folder of logs written by the program's own writer.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/chatwindow/RtfRuns.h"
#include "app/logsviewer/LogSearch.h"
#include "outside/Utf.h"
#include "support/LogWriting.h"
#include "support/TempDir.h"

using namespace logsviewer;

namespace {

std::u16string U(const std::string& s) { return outside::Utf8ToUtf16(s); }
std::string Plain(const std::string& rtf) { return outside::Utf16ToUtf8(RtfPlainText(rtf)); }
size_t Hits(const std::string& text, const std::string& needle) {
    return FindHits(FoldForSearch(U(text)), FoldForSearch(U(needle))).size();
}

}  // namespace

TEST(LogSearch, CaseAndCyrillic) {
    const struct {
        const char* text;
        const char* needle;
        size_t hits;
    } cases[] = {
        {"Привет, мир", "привет", 1},  {"ПРИВЕТ привет ПрИвЕт", "Привет", 3},
        {"Ёлка и елка", "елка", 2},    {"ещё и еще", "ЕЩЁ", 2},
        {"Hello WORLD", "world", 1},   {"Ça va", "ça", 1},
        {"Щука, щи, ЩЕКА", "щ", 3},    {"ЯЮЭ", "яюэ", 1},
        {"Ўзбек Ђ", "ђ", 1},           {"no match here", "привет", 0},
        {"аааа", "аа", 2},  // hits do not overlap
        {"anything", "", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Hits(c.text, c.needle), c.hits) << c.text << " / " << c.needle;
}

TEST(LogSearch, HitPositionsAreThoseOfTheText) {
    const std::u16string text = U("Это ёж. ЁЖ!");
    const auto hits = FindHits(FoldForSearch(text), FoldForSearch(U("еж")));
    ASSERT_EQ(hits, (std::vector<size_t>{4, 8}));
    EXPECT_EQ(FoldForSearch(text).size(), text.size());
}

TEST(LogSearch, TextOfRtf) {
    const struct {
        std::string rtf;
        std::string text;
    } cases[] = {
        // The program's own writer: font and colour tables stay out, escapes come back.
        {chatwindow::RunsToRtf({{"Аня  (8:19 - 07.12.2026)\r\n", 8, true, 0xFF0000, 0},
                                {"a {b} \\ c\tЁж\r\n", 9, false, 0, 0}},
                               "Tahoma"),
         "Аня  (8:19 - 07.12.2026)\ra {b} \\ c\tЁж\r"},
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par}", "Привет\r"},
        {"{\\rtf1\\uc2 \\u1046\\'3f\\'3fx\\u-3\\'3f\\'3fy}", "Жx\uFFFDy"},
        {"{\\rtf1{\\*\\generator Msftedit;}{\\info{\\title Secret}}Seen\\line{\\b bold}\\~x}", "Seen\rbold\u00A0x"},
        {"{\\rtf1 unbalanced {\\b text", "unbalanced text"},
        {"{\\rtf1 shown\\par}\r\nafter the end{\\rtf1 another}", "shown\r"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Plain(c.rtf), c.text) << c.rtf;
}

TEST(LogSearch, FindsTheLogsThatHoldTheWordAndChangesNone) {
    testsupport::TempDir folder;
    using testsupport::LocalTime;
    const std::string a = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 1, 10, 0, 0),
                                                {"Аня: Кто забирает детей?", "Лёва: я заберу детей"});
    const std::string b = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 2, 11, 0, 0), {"Ничего"});
    const std::string c = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 3, 12, 0, 0), {"ДЕТЕЙ нет"});
    std::vector<std::string> names;
    for (const std::string& path : {a, b, c}) names.push_back(std::filesystem::path(path).filename().string());
    names.push_back("2024-05-04 12-00-00.RTF");  // listed, then gone
    const auto before = std::filesystem::last_write_time(a);
    const std::string bytes = testsupport::ReadRaw(a);

    std::vector<std::pair<size_t, size_t>> progress;
    const auto found = SearchLogs(folder.path(), names, "Детей", {},
                                  [&](size_t done, size_t total) { progress.emplace_back(done, total); });
    EXPECT_EQ(found, (std::vector<LogHits>{{names[0], 2}, {names[2], 1}}));
    EXPECT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress.back(), (std::pair<size_t, size_t>{4, 4}));
    EXPECT_EQ(testsupport::ReadRaw(a), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(a), before);

    EXPECT_TRUE(SearchLogs(folder.path(), names, "Tahoma").empty()) << "the font table is not text";
    EXPECT_TRUE(SearchLogs(folder.path(), names, "").empty());

    int asked = 0;
    const auto cancelled = SearchLogs(folder.path(), names, "детей", [&] { return ++asked > 1; });
    EXPECT_EQ(cancelled, (std::vector<LogHits>{{names[0], 2}})) << "a cancelled search stops at the next log";
}
