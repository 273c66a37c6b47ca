#pragma once
// Wall-clock time and its ISO 8601 texts. The wall clock can be replaced in tests; the main queue's timers use
// their own monotonic clock (main_queue.h).

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

using WallTime = std::chrono::system_clock::time_point;

WallTime wallClockNow();
// Replaces the wall clock; an empty function restores the system clock.
void setWallClockForTesting(std::function<WallTime()> clock);
// Seconds since 1970-01-01T00:00:00Z, with fractions.
double secondsSince1970(WallTime time);
WallTime wallTimeFromSecondsSince1970(double seconds);

// UTC to the second: "2026-12-10T11:44:32Z".
std::string iso8601(WallTime time);
std::string iso8601Now();
// The compact form for file names: "20261210T114432Z".
std::string iso8601Basic(WallTime time);
// Local time without a zone, as trash records want it: "2026-12-10T12:44:32".
std::string localDateTime(WallTime time);
// Reads "YYYY-MM-DDThh:mm:ss" with optional fractions and a zone of "Z", "±hh:mm" or "±hhmm"; std::nullopt for
// anything else or an impossible date.
std::optional<WallTime> parseIso8601(std::string_view text);

}  // namespace foundation
