// A date-time record from its parts, for tests.
#pragma once

#include <cstdint>

#include "outside/DateTime.h"

namespace testsupport {

inline outside::DateTimeRecord LocalTime(int year, int month, int day, int hour, int minute, int second = 0,
                                         int milliseconds = 0) {
    const auto u16 = [](int value) { return static_cast<uint16_t>(value); };
    return {u16(year), u16(month), 0, u16(day), u16(hour), u16(minute), u16(second), u16(milliseconds)};
}

}  // namespace testsupport
