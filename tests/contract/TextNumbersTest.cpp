// Text, number and time helpers that notices, names and readers depend on.
#include <gtest/gtest.h>

#include <tuple>

#include "outside/CommandLine.h"
#include "outside/DateTime.h"
#include "outside/MessageBoxes.h"
#include "outside/RuntimeError.h"
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
        {"\r\n\n\r", false, false, true, true, false, ""},
        {"  a \r\n b  ", true, true, true, true, false, "a \r\n b"},
        {"\t{GUID} \t", true, true, true, true, true, "{GUID}"},
        {"\t{GUID} \t", true, true, true, true, false, "\t{GUID} \t"},
        {"  lead  ", true, false, false, false, false, "lead  "},
    };
    for (const auto& c : cases) EXPECT_EQ(asTrimEx2(c.in, c.b1, c.b2, c.b3, c.b4, c.b5), c.out) << "[" << c.in << "]";
    EXPECT_EQ(asTrimEx("  x y  "), "x y");
}

TEST(TextNumbers, NumberTexts) {
    const std::pair<std::string, std::string> cases[] = {
        {asFormatLong(-7), "-7"},
        {asGetErrorNumber(53), "53"},
        {asGetErrorNumber(ErrorNumberFromWin32(32)), "0x80070020"},
        {asHexEx4(0x1A2B), "00001A2B"},
        {std::to_string(esLoWord(-1)), "65535"},
        {asCutRight("Привет", 2), "Прив"},
        {asCutRight("ab", 5), ""},
        {asFormatByteSizeEx(512), "512 байт"},
        {asFormatByteSizeEx(1536), "1,5 КБ"},
        {asFormatByteSizeEx(20 * 1024 * 1024), "20 МБ"},
        {TheErrorReport().DescribeError(RuntimeError(ErrorNumberFromWin32(5), "Нет.")), "Ошибка 0x80070005: Нет."},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

TEST(TextNumbers, SixteenBitNumbersAndSwitches) {
    for (const auto& [text, value] : {std::pair{"2024", 2024}, {" 7 ", 7}, {"-32768", -32768}, {"+5", 5}})
        EXPECT_EQ(ParseInt16(text), value) << text;
    for (const auto& [text, number] : {std::pair{"", kErrTypeMismatch}, {"12a", kErrTypeMismatch},
                                       {"1.5", kErrTypeMismatch}, {"-", kErrTypeMismatch}, {"32768", kErrOverflow},
                                       {"99999999999999999999", kErrOverflow}})
        EXPECT_EQ(testsupport::ErrorOf([t = text] { ParseInt16(t); }).Number(), number) << text;
    for (const char* f : {"false", "", " False ", "0"}) EXPECT_FALSE(esStringToBool(f)) << f;
    for (const char* t : {"TRUE", " True", "1", "-1"}) EXPECT_TRUE(esStringToBool(t)) << t;
    EXPECT_THROW(esStringToBool("maybe"), RuntimeError);
}

TEST(TextNumbers, CommandLineSplitsLikeWindows) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {R"(prog.exe)", {}},
        {R"("C:\Program Files\q.exe" /H "D:\Мои чаты\Беседа.ZPMFChat")", {"/H", R"(D:\Мои чаты\Беседа.ZPMFChat)"}},
        {R"(q.exe   a  b)", {"a", "b"}},
        {R"(q.exe "" x)", {"", "x"}},
        {R"(q.exe a\\b "c\\" d)", {R"(a\\b)", "c\\", "d"}},
        {R"(q.exe "say \"hi\"")", {R"(say "hi")"}},
        {R"(q.exe "a ""quoted"" word")", {R"(a "quoted" word)"}},
        {R"(q.exe C:\dir\ x)", {R"(C:\dir\)", "x"}},
    };
    for (const auto& [line, expected] : cases) {
        const CommandLineArgs args = CommandLineArgs::Parse(line, true);
        std::vector<std::string> got;
        for (int i = 0; i < args.Count(); ++i) got.push_back(args.Item(i));
        EXPECT_EQ(got, expected) << line;
    }
    EXPECT_THROW(CommandLineArgs::Parse("q.exe a", true).Item(1), RuntimeError);
}

// Valid dates round trip, milliseconds and all; invalid ones are run-time errors; now is near now.
TEST(Time, ZoneConversionAndNow) {
    for (const DateTimeRecord utc : {LocalTime(2024, 1, 31, 13, 5, 7, 42), LocalTime(2000, 2, 29, 23, 59, 59, 1)}) {
        DateTimeRecord back = esLocalSystemTimeToSystemTime(esSystemTimeToLocalSystemTime(utc));
        back.dayOfWeek = 0;
        EXPECT_EQ(back, utc);
    }
    for (const DateTimeRecord bad : {LocalTime(2024, 13, 1, 0, 0), LocalTime(2024, 2, 30, 0, 0),
                                     LocalTime(2024, 1, 1, 24, 0), LocalTime(0, 0, 0, 0, 0)}) {
        EXPECT_THROW(esSystemTimeToLocalSystemTime(bad), RuntimeError);
        EXPECT_THROW(esLocalSystemTimeToSystemTime(bad), RuntimeError);
    }
    const DateTimeRecord utc = esGetSystemTime();
    EXPECT_GE(utc.year, 2024);
    EXPECT_LE(std::llabs(MinuteBoundariesBetween(utc, esGetLocalTime())), 14 * 60);
}

TEST(Time, MinuteBoundariesIgnoreSeconds) {
    const std::tuple<DateTimeRecord, DateTimeRecord, long long> cases[] = {
        {LocalTime(2024, 1, 1, 10, 0, 59), LocalTime(2024, 1, 1, 10, 1, 0), 1},
        {LocalTime(2024, 1, 1, 10, 0, 0), LocalTime(2024, 1, 1, 10, 4, 59), 4},
        {LocalTime(2023, 12, 31, 23, 58), LocalTime(2024, 1, 1, 0, 3), 5},
        {LocalTime(2024, 1, 1, 10, 5), LocalTime(2024, 1, 1, 10, 0), -5},
    };
    for (const auto& [a, b, minutes] : cases) EXPECT_EQ(MinuteBoundariesBetween(a, b), minutes);
}

TEST(Time, FormatsCarryTheFields) {
    const DateTimeRecord t = LocalTime(2024, 1, 31, 13, 5, 7);
    for (const char* part : {"31", "2024"}) EXPECT_NE(esFormatDate(t).find(part), std::string::npos) << part;
    for (const char* part : {"13", "05", "07"}) EXPECT_NE(esFormatTime(t).find(part), std::string::npos) << part;
    EXPECT_NE(esFormatTime2(t).find("05"), std::string::npos);
    EXPECT_EQ(esFormatTime2(t).find("07"), std::string::npos) << "no seconds";
}
