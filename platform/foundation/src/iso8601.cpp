#include "foundation/iso8601.h"

#include <time.h>

#include <cmath>
#include <cstdio>
#include <mutex>

namespace foundation {
namespace {

std::mutex gClockMutex;
std::function<WallTime()> gClock;

std::string formatTime(WallTime time, const char* pattern, bool utc) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::floor<std::chrono::seconds>(time));
  std::tm parts{};
  if (utc ? !gmtime_r(&seconds, &parts) : !localtime_r(&seconds, &parts)) return {};
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &parts);
  return std::string(buffer, n);
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool isLeap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(long long y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Reads exactly `count` digits at `pos`.
bool digits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  pos += count;
  return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

WallTime wallClockNow() {
  std::function<WallTime()> clock;
  {
    std::lock_guard lock(gClockMutex);
    clock = gClock;
  }
  return clock ? clock() : std::chrono::system_clock::now();
}

void setWallClockForTesting(std::function<WallTime()> clock) {
  std::lock_guard lock(gClockMutex);
  gClock = std::move(clock);
}

double secondsSince1970(WallTime time) {
  return std::chrono::duration<double>(time.time_since_epoch()).count();
}

WallTime wallTimeFromSecondsSince1970(double seconds) {
  if (!std::isfinite(seconds)) seconds = 0;
  // Keep within what the clock's duration can hold (about ±292 years in nanoseconds).
  seconds = std::fmax(-9.0e9, std::fmin(9.0e9, seconds));
  return WallTime(std::chrono::duration_cast<WallTime::duration>(std::chrono::duration<double>(seconds)));
}

std::string iso8601(WallTime time) { return formatTime(time, "%Y-%m-%dT%H:%M:%SZ", true); }
std::string iso8601Now() { return iso8601(wallClockNow()); }
std::string iso8601Basic(WallTime time) { return formatTime(time, "%Y%m%dT%H%M%SZ", true); }
std::string localDateTime(WallTime time) { return formatTime(time, "%Y-%m-%dT%H:%M:%S", false); }

std::optional<WallTime> parseIso8601(std::string_view text) {
  std::size_t pos = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!digits(text, pos, 4, year) || !expect(text, pos, '-') || !digits(text, pos, 2, month) ||
      !expect(text, pos, '-') || !digits(text, pos, 2, day) || !expect(text, pos, 'T') ||
      !digits(text, pos, 2, hour) || !expect(text, pos, ':') || !digits(text, pos, 2, minute) ||
      !expect(text, pos, ':') || !digits(text, pos, 2, second)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || static_cast<unsigned>(day) > daysInMonth(year, static_cast<unsigned>(month)) ||
      hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  std::chrono::nanoseconds fraction{0};
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    long long scale = 100000000;
    std::size_t count = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      fraction += std::chrono::nanoseconds((text[pos] - '0') * scale);
      scale /= 10;
      ++pos;
      ++count;
    }
    if (count == 0) return std::nullopt;
  }
  long long offsetSeconds = 0;
  if (pos < text.size() && text[pos] == 'Z') {
    ++pos;
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    const int sign = text[pos++] == '-' ? -1 : 1;
    int offsetHours = 0, offsetMinutes = 0;
    if (!digits(text, pos, 2, offsetHours)) return std::nullopt;
    if (pos < text.size() && text[pos] == ':') ++pos;
    if (!digits(text, pos, 2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
    offsetSeconds = sign * (offsetHours * 3600LL + offsetMinutes * 60LL);
  } else {
    return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  const long long seconds = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400LL +
                            hour * 3600LL + minute * 60LL + second - offsetSeconds;
  // The clock counts nanoseconds in 64 bits: about the years 1678 to 2261.
  if (seconds < -9'000'000'000LL || seconds > 9'000'000'000LL) return std::nullopt;
  return WallTime(std::chrono::duration_cast<WallTime::duration>(std::chrono::seconds(seconds) + fraction));
}

}  // namespace foundation
