// Clock, zone conversion and display formats.
#include <gtest/gtest.h>

#include "outside/DateTime.h"
#include "outside/RuntimeError.h"
#include "support/TimeRecord.h"

using namespace outside;

using testsupport::LocalTime;

TEST(Time, ZoneConversionRoundTripsAndKeepsMilliseconds) {
    for (const DateTimeRecord utc : {LocalTime(2024, 1, 31, 13, 5, 7, 42), LocalTime(2024, 7, 1, 0, 0, 0, 999), LocalTime(2000, 2, 29, 23, 59, 59, 1)}) {
        const DateTimeRecord local = esSystemTimeToLocalSystemTime(utc);
        EXPECT_EQ(local.milliseconds, utc.milliseconds);
        DateTimeRecord back = esLocalSystemTimeToSystemTime(local);
        back.dayOfWeek = 0;
        EXPECT_EQ(back, utc);
    }
}

TEST(Time, InvalidDatesAreRunTimeErrors) {
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
