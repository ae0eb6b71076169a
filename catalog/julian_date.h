// The epoch of osculation as a Julian date.
#pragma once

namespace orbivane {

// A calendar date-time as the six components a date type hands out. An
// invalid date reads as -1 in every component.
struct DateTimeParts {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
};

// The date-time of the given components when they form a valid date of the
// years 100 to 9999 (Gregorian leap years), otherwise all six components -1.
DateTimeParts CalendarDateTime(int year, int month, int day, int hour, int minute, int second);

// The astronomical Julian date; Gregorian from 1582-10-15 on, Julian before.
double JulianDate(DateTimeParts date);

}  // namespace orbivane
