#include "TimeArgument.h"

#include <chrono>
#include <regex>

#include "QuilletCli.h"
#include "outside/RuntimeError.h"

namespace cli {
namespace {

[[noreturn]] void Refuse(const std::string& text) {
    throw CliError(kExitUsage, "quillet-cli: --since: \"" + text +
                                   "\" is not a time: give 2026-12-07, 2026-12-07T08:30, "
                                   "2026-12-07T05:30Z, 2026-12-07T08:30+03:00 or an age such as 15m, 2h, 7d");
}

}  // namespace

int64_t UnixMilliseconds(const outside::DateTimeRecord& utc) {
    using namespace std::chrono;
    const sys_days date{year{utc.year} / month{utc.month} / day{utc.day}};
    return duration_cast<milliseconds>(date.time_since_epoch() + hours{utc.hour} + minutes{utc.minute} +
                                       seconds{utc.second})
               .count() +
           utc.milliseconds;
}

int64_t NowUnixMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t ParseTimeArgument(const std::string& text, int64_t nowMs) {
    static const std::regex age(R"((\d{1,9})([smhd]))");
    static const std::regex stamp(
        R"((\d{4})-(\d\d)-(\d\d)(?:[T ](\d\d):(\d\d)(?::(\d\d)(?:\.(\d{1,3}))?)?)?(Z|z|[+-]\d\d(?::?\d\d)?)?)");
    std::smatch m;
    if (std::regex_match(text, m, age)) {
        const int64_t unit = m[2] == "s" ? 1000 : m[2] == "m" ? 60000 : m[2] == "h" ? 3600000 : 86400000;
        return nowMs - std::stoll(m[1]) * unit;
    }
    if (!std::regex_match(text, m, stamp)) Refuse(text);
    const auto field = [&](int i) { return m[i].matched ? std::stoi(m[i]) : 0; };
    outside::DateTimeRecord t;
    t.year = static_cast<uint16_t>(field(1));
    t.month = static_cast<uint16_t>(field(2));
    t.day = static_cast<uint16_t>(field(3));
    t.hour = static_cast<uint16_t>(field(4));
    t.minute = static_cast<uint16_t>(field(5));
    t.second = static_cast<uint16_t>(field(6));
    std::string fraction = m[7].str();
    fraction.resize(3, '0');
    t.milliseconds = static_cast<uint16_t>(std::stoi(fraction));
    using namespace std::chrono;
    if (!(year{t.year} / month{t.month} / day{t.day}).ok() || t.hour > 23 || t.minute > 59 || t.second > 59)
        Refuse(text);
    const std::string zone = m[8].str();
    if (zone.empty()) {
        try {
            t = outside::esLocalSystemTimeToSystemTime(t);
        } catch (const outside::RuntimeError&) {
            Refuse(text);
        }
        return UnixMilliseconds(t);
    }
    int64_t offsetMinutes = 0;
    if (zone != "Z" && zone != "z") {
        const std::string digits = zone.substr(1);
        const int hoursPart = std::stoi(digits.substr(0, 2));
        const int minutesPart = digits.size() > 2 ? std::stoi(digits.substr(digits.size() - 2)) : 0;
        if (hoursPart > 23 || minutesPart > 59) Refuse(text);
        offsetMinutes = (zone[0] == '-' ? -1 : 1) * (hoursPart * 60 + minutesPart);
    }
    return UnixMilliseconds(t) - offsetMinutes * 60000;
}

}  // namespace cli
