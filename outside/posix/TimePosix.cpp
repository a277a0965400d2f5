#include <time.h>

#include <cstdio>

#include "../DateTime.h"
#include "../RuntimeError.h"

namespace outside {
namespace {

DateTimeRecord FromTm(const tm& t, long milliseconds) {
    DateTimeRecord r;
    r.year = static_cast<uint16_t>(t.tm_year + 1900);
    r.month = static_cast<uint16_t>(t.tm_mon + 1);
    r.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
    r.day = static_cast<uint16_t>(t.tm_mday);
    r.hour = static_cast<uint16_t>(t.tm_hour);
    r.minute = static_cast<uint16_t>(t.tm_min);
    r.second = static_cast<uint16_t>(t.tm_sec);
    r.milliseconds = static_cast<uint16_t>(milliseconds);
    return r;
}

tm ToTm(const DateTimeRecord& r) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (r.year < 1601 || r.year > 30827 || r.month < 1 || r.month > 12 || r.day < 1 || r.day > kDays[r.month - 1] ||
        r.hour > 23 || r.minute > 59 || r.second > 59 || r.milliseconds > 999)
        throw RuntimeError(ErrorNumberFromWin32(87), "Параметр задан неверно.");
    tm t{};
    t.tm_year = r.year - 1900;
    t.tm_mon = r.month - 1;
    t.tm_mday = r.day;
    t.tm_hour = r.hour;
    t.tm_min = r.minute;
    t.tm_sec = r.second;
    t.tm_isdst = -1;
    return t;
}

}  // namespace

DateTimeRecord esGetSystemTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm t{};
    gmtime_r(&ts.tv_sec, &t);
    return FromTm(t, ts.tv_nsec / 1000000);
}

DateTimeRecord esGetLocalTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm t{};
    localtime_r(&ts.tv_sec, &t);
    return FromTm(t, ts.tv_nsec / 1000000);
}

DateTimeRecord esSystemTimeToLocalSystemTime(const DateTimeRecord& utc) {
    tm t = ToTm(utc);
    const time_t seconds = timegm(&t);
    tm local{};
    localtime_r(&seconds, &local);
    return FromTm(local, utc.milliseconds);
}

DateTimeRecord esLocalSystemTimeToSystemTime(const DateTimeRecord& local) {
    tm t = ToTm(local);
    const time_t seconds = mktime(&t);
    tm utc{};
    gmtime_r(&seconds, &utc);
    return FromTm(utc, local.milliseconds);
}

std::string esFormatDate(const DateTimeRecord& time, int, int) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", time.day, time.month, time.year);
    return buf;
}

std::string esFormatTime(const DateTimeRecord& time, int, int) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u:%02u:%02u", time.hour, time.minute, time.second);
    return buf;
}

std::string esFormatTime2(const DateTimeRecord& time, int, int) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u:%02u", time.hour, time.minute);
    return buf;
}

std::string FormatMonthYear(int year, int month) {
    // The names a Russian Windows gives for "MMMM" without a day.
    static const char* const kMonths[] = {"Январь", "Февраль", "Март",     "Апрель",  "Май",    "Июнь",
                                          "Июль",   "Август",  "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    if (month < 1 || month > 12) throw RuntimeError(kErrInvalidCall, "Неверная дата.", "FormatMonthYear");
    char buf[16];
    std::snprintf(buf, sizeof buf, " %04d", year);
    return kMonths[month - 1] + std::string(buf);
}

}  // namespace outside
