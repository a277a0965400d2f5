#include <windows.h>

#include "../DateTime.h"
#include "../RuntimeError.h"
#include "Wide.h"
#include "Win32Error.h"

namespace outside {
namespace {

SYSTEMTIME ToSystemTime(const DateTimeRecord& r) {
    SYSTEMTIME s{};
    s.wYear = r.year;
    s.wMonth = r.month;
    s.wDayOfWeek = r.dayOfWeek;
    s.wDay = r.day;
    s.wHour = r.hour;
    s.wMinute = r.minute;
    s.wSecond = r.second;
    s.wMilliseconds = r.milliseconds;
    return s;
}

DateTimeRecord FromSystemTime(const SYSTEMTIME& s) {
    return DateTimeRecord{s.wYear, s.wMonth, s.wDayOfWeek, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
}

// The zone functions accept some impossible dates; a round trip through FILETIME does not.
void CheckValid(const SYSTEMTIME& s) {
    FILETIME ft{};
    if (!::SystemTimeToFileTime(&s, &ft)) throw Win32Error(ERROR_INVALID_PARAMETER);
}

}  // namespace

DateTimeRecord esGetSystemTime() {
    SYSTEMTIME s{};
    ::GetSystemTime(&s);
    return FromSystemTime(s);
}

DateTimeRecord esGetLocalTime() {
    SYSTEMTIME s{};
    ::GetLocalTime(&s);
    return FromSystemTime(s);
}

DateTimeRecord esSystemTimeToLocalSystemTime(const DateTimeRecord& utc) {
    const SYSTEMTIME in = ToSystemTime(utc);
    CheckValid(in);
    SYSTEMTIME out{};
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &in, &out)) throw LastError();
    return FromSystemTime(out);
}

DateTimeRecord esLocalSystemTimeToSystemTime(const DateTimeRecord& local) {
    const SYSTEMTIME in = ToSystemTime(local);
    CheckValid(in);
    SYSTEMTIME out{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &in, &out)) throw LastError();
    return FromSystemTime(out);
}

std::string esFormatDate(const DateTimeRecord& time, int, int) {
    const SYSTEMTIME s = ToSystemTime(time);
    wchar_t buffer[128] = {};
    if (!::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &s, nullptr, buffer, 128)) throw LastError();
    return U8(buffer);
}

std::string esFormatTime(const DateTimeRecord& time, int, int) {
    const SYSTEMTIME s = ToSystemTime(time);
    wchar_t buffer[128] = {};
    if (!::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &s, nullptr, buffer, 128)) throw LastError();
    return U8(buffer);
}

std::string esFormatTime2(const DateTimeRecord& time, int, int) {
    const SYSTEMTIME s = ToSystemTime(time);
    wchar_t buffer[128] = {};
    if (!::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &s, nullptr, buffer, 128)) throw LastError();
    return U8(buffer);
}

std::string FormatMonthYear(int year, int month) {
    if (month < 1 || month > 12 || year < 1601 || year > 30827)
        throw RuntimeError(kErrInvalidCall, "Неверная дата.", "FormatMonthYear");
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(year);
    s.wMonth = static_cast<WORD>(month);
    s.wDay = 1;
    wchar_t buffer[128] = {};
    // Without a day in the picture the month name is the nominative one.
    if (!::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &s, L"MMMM yyyy", buffer, 128)) throw LastError();
    return U8(buffer);
}

}  // namespace outside
