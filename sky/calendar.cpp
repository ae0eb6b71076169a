#include "calendar.h"

#include <erfa.h>

namespace orbivane::sky {

std::optional<double> JulianDateOf(const CalendarDay& day) {
  double start = 0;
  double modified = 0;
  if (eraCal2jd(day.year, day.month, day.day, &start, &modified) != 0) return std::nullopt;
  return start + modified;
}

CalendarDay DayOf(double julianDate) {
  CalendarDay day;
  double fraction = 0;
  // Half a second later, so that a date computed as 0h of a day stays on it.
  eraJd2cal(julianDate, 0.5 / 86400, &day.year, &day.month, &day.day, &fraction);
  return day;
}

}  // namespace orbivane::sky
