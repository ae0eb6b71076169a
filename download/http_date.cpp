#include "http_date.h"

#include <cstdio>
#include <cstring>

namespace orbivane {

namespace {

constexpr const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // 1970-01-01 was a Thursday
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::int64_t kDay = 86400;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
  std::int64_t year;
  unsigned month, day;
};

Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::string FormatHttpDate(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, kDay);
  const std::int64_t rest = seconds - days * kDay;
  const Civil c = CivilFromDays(days);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02u %s %04lld %02d:%02d:%02d GMT", kDays[((days % 7) + 7) % 7], c.day,
                kMonths[c.month - 1], static_cast<long long>(c.year), static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return text;
}

std::optional<std::int64_t> ParseHttpDate(const std::string& text) {
  char weekday[4], month[4], zone[4];
  unsigned day, year, hour, minute, second;
  int used = 0;
  if (std::sscanf(text.c_str(), "%3s, %2u %3s %4u %2u:%2u:%2u %3s%n", weekday, &day, month, &year, &hour, &minute,
                  &second, zone, &used) != 8 ||
      static_cast<std::size_t>(used) != text.size() || std::strcmp(zone, "GMT") != 0) {
    return std::nullopt;
  }
  unsigned m = 0;
  while (m < 12 && std::strcmp(month, kMonths[m]) != 0) ++m;
  if (m == 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  return DaysFromCivil(year, m + 1, day) * kDay + hour * 3600 + minute * 60 + second;
}

std::string FormatDay(std::int64_t seconds) {
  const Civil c = CivilFromDays(FloorDiv(seconds, kDay));
  char text[16];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(c.year), c.month, c.day);
  return text;
}

}  // namespace orbivane
