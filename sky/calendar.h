// Calendar days and their Julian dates (ERFA's Gregorian calendar).
#pragma once

#include <optional>

namespace orbivane::sky {

struct CalendarDay {
  int year = 0, month = 0, day = 0;
  friend bool operator==(const CalendarDay&, const CalendarDay&) = default;
};

// The Julian date of 0h of the day; none for a day that does not exist
// (February 30, month 13) or a year before -4799.
std::optional<double> JulianDateOf(const CalendarDay& day);
// The day a Julian date falls on.
CalendarDay DayOf(double julianDate);

}  // namespace orbivane::sky
