// Text and number helpers that notices, names and readers depend on.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "outside/CommandLine.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
#include "outside/Sorter.h"
#include "outside/Support.h"
#include "support/Errors.h"

using namespace outside;

TEST(TextNumbers, TrimSwitchesActIndependently) {
    struct Case {
        std::string in;
        bool b1, b2, b3, b4, b5;
        std::string out;
    } cases[] = {
        {"  word  \r\n\r\n", false, false, true, true, false, "  word  "},
        {"\r\n  word  \r\n", true, true, false, false, false, "\r\n  word  \r\n"},
        {" \r\n word \r\n ", true, true, true, true, false, "word"},
        {"   ", true, true, false, false, false, ""},
        {"\r\n\n\r", false, false, true, true, false, ""},
        {"  a \r\n b  ", true, true, true, true, false, "a \r\n b"},
        {"\t{GUID} \t", true, true, true, true, true, "{GUID}"},
        {"\t{GUID} \t", true, true, true, true, false, "\t{GUID} \t"},
        {"  lead", true, false, false, false, false, "lead"},
        {"trail  ", true, false, false, false, false, "trail  "},
    };
    for (const auto& c : cases) EXPECT_EQ(asTrimEx2(c.in, c.b1, c.b2, c.b3, c.b4, c.b5), c.out) << "[" << c.in << "]";
    EXPECT_EQ(asTrimEx("  x y  "), "x y");
}

TEST(TextNumbers, NumberTexts) {
    EXPECT_EQ(asFormatLong(300), "300");
    EXPECT_EQ(asFormatLong(-7), "-7");
    EXPECT_EQ(asGetErrorNumber(53), "53");
    EXPECT_EQ(asGetErrorNumber(ErrorNumberFromWin32(32)), "0x80070020");
    EXPECT_EQ(asHexEx4(0x1A2B), "00001A2B");
    EXPECT_EQ(asHexEx4(0xFFFFFFFFu), "FFFFFFFF");
    EXPECT_EQ(esLoWord(0x12345678), 0x5678);
    EXPECT_EQ(esLoWord(-1), 0xFFFF);
    EXPECT_EQ(asCutRight("Привет", 2), "Прив");
    EXPECT_EQ(asCutRight("ab", 5), "");
    EXPECT_EQ(asFormatByteSizeEx(512), "512 байт");
    EXPECT_EQ(asFormatByteSizeEx(1536), "1,5 КБ");
    EXPECT_EQ(asFormatByteSizeEx(20 * 1024 * 1024), "20 МБ");
}

TEST(TextNumbers, SixteenBitNumbersForMessageFields) {
    struct Good {
        const char* text;
        int value;
    } good[] = {{"2024", 2024}, {"0", 0}, {" 7 ", 7}, {"-1", -1}, {"32767", 32767}, {"-32768", -32768}, {"+5", 5}};
    for (const auto& g : good) EXPECT_EQ(ParseInt16(g.text), g.value) << g.text;
    struct Bad {
        const char* text;
        long number;
    } bad[] = {{"", kErrTypeMismatch}, {"12a", kErrTypeMismatch}, {"abc", kErrTypeMismatch}, {"-", kErrTypeMismatch},
               {"1.5", kErrTypeMismatch}, {"70000", kErrOverflow}, {"32768", kErrOverflow},
               {"99999999999999999999", kErrOverflow}};
    for (const auto& b : bad) EXPECT_EQ(testsupport::ErrorOf([&] { ParseInt16(b.text); }).Number(), b.number) << b.text;
}

TEST(TextNumbers, StringToBool) {
    for (const char* f : {"false", "", "FALSE", " False ", "0"}) EXPECT_FALSE(esStringToBool(f)) << f;
    for (const char* t : {"true", "TRUE", " True", "1", "-1"}) EXPECT_TRUE(esStringToBool(t)) << t;
    EXPECT_THROW(esStringToBool("maybe"), RuntimeError);
}

TEST(TextNumbers, GuidsAreUniqueInOneFixedForm) {
    const std::regex form(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string guid = esGetNewGUID();
        EXPECT_TRUE(std::regex_match(guid, form)) << guid;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(TextNumbers, SorterOrdersTimeStampedPathsAscending) {
    std::vector<std::string> paths = {"d/2024-01-31 13-05-07-042 {B}.ZPMF", "d/2023-12-31 23-59-59-999 {Z}.ZXMF",
                                      "d/2024-01-31 13-05-07-042 {A}.ZPMF", "d/note.ZTMF",
                                      "d/2024-01-31 09-00-00-000 {C}.ZPMF"};
    Sorter().Sort(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"d/2023-12-31 23-59-59-999 {Z}.ZXMF", "d/2024-01-31 09-00-00-000 {C}.ZPMF",
                                               "d/2024-01-31 13-05-07-042 {A}.ZPMF", "d/2024-01-31 13-05-07-042 {B}.ZPMF",
                                               "d/note.ZTMF"}));
}

TEST(TextNumbers, CommandLineSplitsLikeWindows) {
    struct Case {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {R"(prog.exe)", {}},
        {R"("C:\Program Files\q.exe" /H "D:\Мои чаты\Беседа.ZPMFChat")", {"/H", R"(D:\Мои чаты\Беседа.ZPMFChat)"}},
        {R"(q.exe   a  b)", {"a", "b"}},
        {R"(q.exe "" x)", {"", "x"}},
        {R"(q.exe a\\b "c\\" d)", {R"(a\\b)", "c\\", "d"}},
        {R"(q.exe "say \"hi\"")", {R"(say "hi")"}},
        {R"(q.exe a\"b)", {R"(a"b)"}},
        {R"(q.exe "a ""quoted"" word")", {R"(a "quoted" word)"}},
        {R"(q.exe C:\dir\ x)", {R"(C:\dir\)", "x"}},
    };
    for (const auto& c : cases) {
        const CommandLineArgs args = CommandLineArgs::Parse(c.line, true);
        ASSERT_EQ(args.Count(), static_cast<int>(c.args.size())) << c.line;
        for (int i = 0; i < args.Count(); ++i) EXPECT_EQ(args.Item(i), c.args[static_cast<size_t>(i)]) << c.line;
    }
    EXPECT_THROW(CommandLineArgs::Parse("q.exe a", true).Item(1), RuntimeError);
}

TEST(TextNumbers, ErrorDescriptionForNotices) {
    EXPECT_EQ(TheErrorReport().DescribeError(RuntimeError(53, "Файл не найден")), "Ошибка 53: Файл не найден");
    EXPECT_EQ(TheErrorReport().DescribeError(RuntimeError(ErrorNumberFromWin32(5), "Отказано в доступе.")),
              "Ошибка 0x80070005: Отказано в доступе.");
}
