// A date-time record from its parts, for tests.
#pragma once

#include <cstdint>

#include "outside/DateTime.h"

namespace testsupport {

inline outside::DateTimeRecord LocalTime(int year, int month, int day, int hour, int minute, int second = 0,
                                         int milliseconds = 0) {
    outside::DateTimeRecord t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

}  // namespace testsupport
