// Text, number and time helpers that notices, names and readers depend on:
// clock, zone conversion and display formats too.
#include <gtest/gtest.h>

#include "outside/CommandLine.h"
#include "outside/DateTime.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
#include "outside/Sorter.h"
#include "outside/Support.h"
#include "support/Errors.h"
#include "support/TimeRecord.h"

using namespace outside;
using testsupport::LocalTime;

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
    EXPECT_EQ(TheErrorReport().DescribeError(RuntimeError(53, "Файл не найден")), "Ошибка 53: Файл не найден");
    EXPECT_EQ(TheErrorReport().DescribeError(RuntimeError(ErrorNumberFromWin32(5), "Отказано в доступе.")),
              "Ошибка 0x80070005: Отказано в доступе.");
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

// Valid dates round trip, milliseconds and all; invalid ones are run-time errors.
TEST(Time, ZoneConversion) {
    for (const DateTimeRecord utc : {LocalTime(2024, 1, 31, 13, 5, 7, 42), LocalTime(2024, 7, 1, 0, 0, 0, 999), LocalTime(2000, 2, 29, 23, 59, 59, 1)}) {
        const DateTimeRecord local = esSystemTimeToLocalSystemTime(utc);
        EXPECT_EQ(local.milliseconds, utc.milliseconds);
        DateTimeRecord back = esLocalSystemTimeToSystemTime(local);
        back.dayOfWeek = 0;
        EXPECT_EQ(back, utc);
    }
    for (const DateTimeRecord bad : {LocalTime(2024, 13, 1, 0, 0), LocalTime(2024, 2, 30, 0, 0), LocalTime(2024, 1, 1, 24, 0), LocalTime(0, 0, 0, 0, 0)}) {
        EXPECT_THROW(esSystemTimeToLocalSystemTime(bad), RuntimeError);
        EXPECT_THROW(esLocalSystemTimeToSystemTime(bad), RuntimeError);
    }
}

TEST(Time, NowIsPlausible) {
    const DateTimeRecord utc = esGetSystemTime();
    const DateTimeRecord local = esGetLocalTime();
    EXPECT_GE(utc.year, 2024);
    EXPECT_LE(std::llabs(MinuteBoundariesBetween(utc, local)), 14 * 60);
}

TEST(Time, MinuteBoundariesIgnoreSeconds) {
    struct Case {
        DateTimeRecord a, b;
        long long minutes;
    } cases[] = {
        {LocalTime(2024, 1, 1, 10, 0, 59), LocalTime(2024, 1, 1, 10, 1, 0), 1},
        {LocalTime(2024, 1, 1, 10, 0, 0), LocalTime(2024, 1, 1, 10, 4, 59), 4},
        {LocalTime(2024, 1, 1, 10, 0, 59), LocalTime(2024, 1, 1, 10, 5, 0), 5},
        {LocalTime(2023, 12, 31, 23, 58), LocalTime(2024, 1, 1, 0, 3), 5},
        {LocalTime(2024, 1, 1, 10, 5), LocalTime(2024, 1, 1, 10, 0), -5},
    };
    for (const auto& c : cases) EXPECT_EQ(MinuteBoundariesBetween(c.a, c.b), c.minutes);
}

TEST(Time, FormatsCarryTheFields) {
    const DateTimeRecord t = LocalTime(2024, 1, 31, 13, 5, 7);
    const std::string date = esFormatDate(t);
    const std::string time = esFormatTime(t);
    const std::string shortTime = esFormatTime2(t);
    EXPECT_NE(date.find("31"), std::string::npos) << date;
    EXPECT_NE(date.find("2024"), std::string::npos) << date;
    EXPECT_NE(time.find("13"), std::string::npos) << time;
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    EXPECT_NE(time.find("07"), std::string::npos) << time;
    EXPECT_NE(shortTime.find("05"), std::string::npos) << shortTime;
    EXPECT_EQ(shortTime.find("07"), std::string::npos) << "no seconds: " << shortTime;
}
