// Finding a word in the logs: folding, hits, the text of RTF logs, the search, its cache, memory and thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

// Address-space limits: Linux only, and not under the address sanitizer (its shadow memory).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LOGSEARCH_ASAN 1
#endif
#endif
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(LOGSEARCH_ASAN)
#define LOGSEARCH_MEMORY_CAP 1
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "app/chatwindow/RtfRuns.h"
#include "app/logsviewer/BackgroundSearch.h"
#include "app/logsviewer/LogSearch.h"
#include "outside/Support.h"
#include "outside/TextFile.h"
#include "outside/Utf.h"
#include "support/LogWriting.h"
#include "support/TempDir.h"

using namespace logsviewer;
using testsupport::LocalTime;

namespace {

std::u16string U(const std::string& s) { return outside::Utf8ToUtf16(s); }
std::string Plain(const std::string& rtf) { return outside::Utf16ToUtf8(RtfPlainText(rtf)); }

// Hands text to feed cut at the given places.
template <typename Text, typename Feed>
void InPieces(Text text, const std::vector<size_t>& cuts, Feed feed) {
    size_t from = 0;
    for (size_t cut : cuts) {
        feed(text.substr(from, cut - from));
        from = cut;
    }
    feed(text.substr(from));
}

// Cut once at every place, and into single bytes.
std::vector<std::vector<size_t>> Cuttings(size_t size) {
    std::vector<std::vector<size_t>> cuttings(1);
    for (size_t i = 1; i < size; ++i) {
        cuttings.push_back({i});
        cuttings.front().push_back(i);
    }
    return cuttings;
}

std::string NameOf(const std::string& path) { return outside::esGetFileName(path); }

}  // namespace

TEST(LogSearch, HitsFoldCaseAndЁAndAreFoundAlikeWholeOrAsTheTextComes) {
    // Pieces cut a hit in two, and needles whose start repeats inside them.
    const struct {
        const char* text;
        const char* needle;
        std::vector<size_t> hits;
    } cases[] = {
        {"Это ёж. ЁЖ!", "еж", {4, 8}},        {"ПРИВЕТ привет ПрИвЕт", "Привет", {0, 7, 14}},
        {"Hello WORLD", "world", {6}},         {"Ça va", "ça", {0}},
        {"Ўзбек Ђ", "ђ", {6}},                 {"ЯЮЭ", "яюэ", {0}},
        {"аааа", "аа", {0, 2}},                {"abababc", "ababc", {2}},
        {"abcabd abcabcabd", "abcabd", {0, 10}}, {"xyz", "xyzw", {}},
        {"ещё", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.needle);
        const std::u16string text = U(c.text);
        const std::u16string needle = FoldForSearch(U(c.needle));
        EXPECT_EQ(FoldForSearch(text).size(), text.size()) << "positions are those of the text";
        EXPECT_EQ(FindHits(FoldForSearch(text), needle), c.hits);
        for (const auto& cuts : Cuttings(text.size())) {
            HitCounter counter(needle);
            InPieces(std::u16string_view(text), cuts, [&](std::u16string_view piece) { counter.Feed(piece); });
            EXPECT_EQ(counter.Hits(), static_cast<int64_t>(c.hits.size())) << "in " << cuts.size() + 1 << " pieces";
        }
    }
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
        {"{\\rtf1 a\\'e9\\'4}}after the end", "a\u00E9\u0004"},
        {"{\\rtf1 shown\\par}\r\nafter the end{\\rtf1 another}", "shown\r"},
        {"{\\rtf1\\ansi\\ansicpg1252 \\'93quoted\\'94 \\'80 5\\'e9}", "\u201Cquoted\u201D \u20AC 5\u00E9"},
        {"{\\rtf1\\ansicpg1251 \\'c0\\u-1000?\\par\\tab\\uc0\\u1046}", "А\uFC18\r\tЖ"},
        {std::string(5000, '{') + "deep" + std::string(5000, '}'), "deep"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Plain(c.rtf), c.text) << c.rtf.substr(0, 80);
        // A large log is read piece by piece: wherever the cuts fall, the text is the same.
        if (c.rtf.size() > 400) continue;
        for (const auto& cuts : Cuttings(c.rtf.size())) {
            RtfTextReader reader;
            std::u16string text;
            InPieces(std::string_view(c.rtf), cuts, [&](std::string_view piece) { reader.Read(piece, text); });
            reader.Finish(text);
            EXPECT_EQ(text, RtfPlainText(c.rtf)) << c.rtf << " in " << cuts.size() + 1 << " pieces";
        }
    }
}

TEST(LogSearch, FindsTheLogsThatHoldTheWordChangesNoneAndKeepsTextOnlyWhileALogIsUnchanged) {
    testsupport::TempDir folder;
    const std::string a = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 1, 10, 0, 0),
                                                {"Аня: Кто забирает детей?", "Лёва: я заберу детей"});
    const std::string b = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 2, 11, 0, 0), {"Ничего"});
    const std::string c = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 3, 12, 0, 0), {"ДЕТЕЙ нет"});
    const std::vector<std::string> names = {NameOf(a), NameOf(b), NameOf(c), "2024-05-04 12-00-00.RTF"};  // last: gone
    const auto before = std::filesystem::last_write_time(a);
    const std::string bytes = testsupport::ReadRaw(a);

    std::vector<std::pair<size_t, size_t>> progress;
    const auto result = SearchLogs(folder.path(), names, "Детей", {},
                                   [&](size_t done, size_t total) { progress.emplace_back(done, total); });
    EXPECT_EQ(result.found, (std::vector<LogHits>{{names[0], 2}, {names[2], 1}}));
    EXPECT_EQ(result.unreadable, std::vector<std::string>{names[3]}) << "a log that cannot be read is said so";
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress.back(), (std::pair<size_t, size_t>{4, 4}));
    EXPECT_EQ(testsupport::ReadRaw(a), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(a), before);

    EXPECT_TRUE(SearchLogs(folder.path(), names, "Tahoma").found.empty()) << "the font table is not text";
    EXPECT_TRUE(SearchLogs(folder.path(), names, "").found.empty());

    int asked = 0;
    const auto cancelled = SearchLogs(folder.path(), names, "детей", [&] { return ++asked > 1; });
    EXPECT_EQ(cancelled.found, (std::vector<LogHits>{{names[0], 2}})) << "a cancelled search stops at the next log";
    EXPECT_TRUE(cancelled.cancelled);

    // Kept text serves only while its log is unchanged: the chat goes on writing one, another goes away.
    LogTextCache cache;
    FillLogTextCache(folder.path(), names, cache);
    EXPECT_EQ(cache.Entries(), 3u);
    EXPECT_EQ(SearchLogs(folder.path(), names, "детей", {}, {}, &cache).found, result.found);
    testsupport::WriteRaw(a, chatwindow::RunsToRtf({{"детей\r\nи детей\r\nдетей!\r\n", 9, false, 0, 0}}, "Tahoma"));
    std::filesystem::remove(std::filesystem::u8path(c));
    const SearchResult after = SearchLogs(folder.path(), names, "детей", {}, {}, &cache);
    EXPECT_EQ(after.found, (std::vector<LogHits>{{names[0], 3}}));
    EXPECT_EQ(after.unreadable, (std::vector<std::string>{names[2], names[3]}));
    LogTextCache tiny(2);  // full: nothing more is kept, and the search still reads the logs
    EXPECT_EQ(SearchLogs(folder.path(), names, "детей", {}, {}, &tiny).found, after.found);
    EXPECT_EQ(tiny.Entries(), 0u);
}

TEST(LogSearch, ACancelTakesEffectWithinALog) {
    testsupport::TempDir folder;
    // A long log whose only hit is at its very end.
    const std::string big = testsupport::WriteBigLog(folder.path(), LocalTime(2024, 5, 1, 10, 0, 0), 3u << 20,
                                                     {"Аня: обычный день", "Лёва: да"}, {"Лёва: абрикосы в конце"});
    const std::vector<std::string> names = {NameOf(big)};
    EXPECT_EQ(SearchLogs(folder.path(), names, "абрикосы").found, (std::vector<LogHits>{{names[0], 1}}));

    int asked = 0;
    const SearchResult cancelled = SearchLogs(folder.path(), names, "абрикосы", [&] { return ++asked > 2; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.found.empty()) << "stopped inside the log, before its end";
    EXPECT_EQ(asked, 3);
}

#if defined(LOGSEARCH_MEMORY_CAP)
namespace {

// Whether what returns true with the address space capped at what the process uses now plus headroom bytes.
bool UnderMemoryCap(size_t headroom, const std::function<bool()>& what) {
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    const rlimit cap{static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom,
                     RLIM_INFINITY};
    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    if (pages == 0 || ::setrlimit(RLIMIT_AS, &cap) != 0) return false;
    const bool result = what();
    return ::setrlimit(RLIMIT_AS, &none) == 0 && result;
}

}  // namespace

TEST(LogSearchDeathTest, AHugeLogNeedsLittleMoreMemoryThanItsSize) {
    testsupport::TempDir folder;
    constexpr size_t kBytes = 24u << 20;
    const std::string big = testsupport::WriteBigLog(folder.path(), LocalTime(2024, 5, 1, 10, 0, 0), kBytes,
                                                     {"Аня: обычный день"}, {"Лёва: абрикосы в конце"});
    const std::string small = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 2, 10, 0, 0), {"Абрикосы"});
    const auto search = [&](const std::string& log) { return SearchLogs(folder.path(), {NameOf(log)}, "абрикосы"); };
    // Out of memory for even a small log: that log is not read, and the search goes on. Searched: a few pieces at
    // a time, far less than the log. Shown whole in the pane: the bytes once, not their buffer doubled.
    const auto capped = [&] {
        return UnderMemoryCap(16u << 10, [&] { return search(small).unreadable.size() == 1; }) &&
               UnderMemoryCap(8u << 20, [&] { return search(big).found == std::vector<LogHits>{{NameOf(big), 1}}; }) &&
               UnderMemoryCap(kBytes + (12u << 20),
                              [&] { return outside::ReadFileBytes(big, uint64_t{1} << 30).size() >= kBytes; });
    };
    EXPECT_EXIT(std::_Exit(capped() ? 0 : 1), testing::ExitedWithCode(0), "") << "in a child: the caps starve no test";
}
#endif

TEST(LogSearch, NothingLeavesTheSearchsThread) {
    testsupport::TempDir folder;
    const std::string a = testsupport::WriteLog(folder.path(), LocalTime(2024, 5, 1, 10, 0, 0), {"Абрикос"});
    std::atomic<bool> finished{false};
    BackgroundSearch search;
    // A notify that fails: the program would end if it left the thread.
    search.Start(folder.path(), {NameOf(a), "gone.RTF"}, "абрикос", [&](bool done) {
        if (done) finished = true;
        throw std::bad_alloc();
    });
    for (int i = 0; i < 500 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(finished);
    const SearchResult result = search.TakeResult();
    EXPECT_EQ(result.found, (std::vector<LogHits>{{NameOf(a), 1}}));
    EXPECT_EQ(result.unreadable, std::vector<std::string>{"gone.RTF"});
    EXPECT_TRUE(search.TakeResult().found.empty()) << "taken once";
}
