// The date-time record in which times pass through the program (UTC unless a
// name says local), and the clock, zone and formatting functions around it.
#pragma once

#include <cstdint>
#include <string>

namespace outside {

struct DateTimeRecord {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    bool IsZero() const { return year == 0 && month == 0 && day == 0; }
    friend bool operator==(const DateTimeRecord&, const DateTimeRecord&) = default;
};

// The current time, UTC and local.
DateTimeRecord esGetSystemTime();
DateTimeRecord esGetLocalTime();

// Zone conversions with the machine's time zone. Throw RuntimeError for a
// record that is not a valid date.
DateTimeRecord esSystemTimeToLocalSystemTime(const DateTimeRecord& utc);
DateTimeRecord esLocalSystemTimeToSystemTime(const DateTimeRecord& local);

// Short display texts: the date, the time of day with seconds, and the time of
// day without seconds. The two trailing arguments are always 0.
std::string esFormatDate(const DateTimeRecord& time, int flags = 0, int locale = 0);
std::string esFormatTime(const DateTimeRecord& time, int flags = 0, int locale = 0);
std::string esFormatTime2(const DateTimeRecord& time, int flags = 0, int locale = 0);
// The date pattern "mmmm yyyy": the month's full name in the user's language, a
// blank, the four-digit year. Throws RuntimeError for a month outside 1..12.
std::string FormatMonthYear(int year, int month);

// Whole minutes between two records, counted as calendar minute boundaries
// (seconds ignored); negative when later is before earlier.
long long MinuteBoundariesBetween(const DateTimeRecord& earlier, const DateTimeRecord& later);

}  // namespace outside
