#include "julian_date.h"

namespace orbivane {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

DateTimeParts CalendarDateTime(int year, int month, int day, int hour, int minute, int second) {
  const bool valid = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                     day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
                     minute <= 59 && second >= 0 && second <= 59;
  if (!valid) return DateTimeParts{-1, -1, -1, -1, -1, -1};
  return DateTimeParts{year, month, day, hour, minute, second};
}

double JulianDate(DateTimeParts date) {
  const int Y = date.year;
  const int M = date.month;
  const double D = date.day;
  const int h = date.hour;
  const int mi = date.minute;
  const double s = date.second;

  // Integer part in 32-bit arithmetic with truncating division; the shifted
  // year is never negative for the years that can arrive, so truncation is
  // floor division here.
  int y = Y + 4800;
  if (Y < 0) y += 1;  // there is no year 0 between 1 BC and AD 1
  int m = M;
  if (m <= 2) {  // January and February count as months 13 and 14 of the year before
    m += 12;
    y -= 1;
  }
  const int t = ((m + 1) * 306) / 10;
  const int c = y / 100;
  const bool gregorian = Y > 1582 || (Y == 1582 && M > 10) || (Y == 1582 && M == 10 && D >= 15.0);
  const int b = gregorian ? c / 4 - c : -38;
  const int q = (y * 36525) / 100;
  const int n = b + q + t;

  // The order of the floating steps fixes the rounding of the result.
  const double j0 = (static_cast<double>(n) + D) - 32167.5;
  const double f = ((static_cast<double>(h) * 3600.0 + static_cast<double>(mi) * 60.0) + s) / 86400.0;
  return f + j0;
}

}  // namespace orbivane
