// The TIME of --since, and message times on one scale to compare them on.
#pragma once

#include <cstdint>
#include <string>

#include "outside/DateTime.h"

namespace cli {

// Milliseconds since 1970-01-01 00:00 UTC of a UTC record holding a valid date.
int64_t UnixMilliseconds(const outside::DateTimeRecord& utc);
// The current time on that scale.
int64_t NowUnixMilliseconds();

// TIME as UTC milliseconds: "2026-12-07", "2026-12-07T08:30[:15[.250]]" (a blank
// may stand for the T) in local time, the same with "Z" or an offset
// ("+03:00", "-0500") in that zone, or an age before now ("90s", "15m", "2h",
// "7d"). Throws CliError(kExitUsage) for anything else.
int64_t ParseTimeArgument(const std::string& text, int64_t nowMs);

}  // namespace cli
