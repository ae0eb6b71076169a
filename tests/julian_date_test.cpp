#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "julian_date.h"
#include "number_text.h"

namespace orbivane {
namespace {

struct JulianCase {
  DateTimeParts date;
  double expected;
  const char* printed;
};

const JulianCase kJulianCases[] = {
    {{2000, 1, 1, 0, 0, 0}, 2451544.5, "2451544.500"},
    {{2000, 1, 1, 12, 0, 0}, 2451545.0, "2451545.000"},
    {{1999, 12, 31, 23, 59, 59}, 2451544.499988426, "2451544.500"},
    {{2001, 6, 1, 6, 30, 0}, 2452061.7708333335, "2452061.771"},
    {{2001, 6, 1, 0, 0, 0}, 2452061.5, "2452061.500"},
    {{2000, 2, 29, 0, 0, 0}, 2451603.5, "2451603.500"},
    {{2000, 3, 1, 0, 0, 0}, 2451604.5, "2451604.500"},
    {{1900, 2, 28, 0, 0, 0}, 2415078.5, "2415078.500"},
    {{1900, 3, 1, 0, 0, 0}, 2415079.5, "2415079.500"},
    {{1600, 2, 29, 0, 0, 0}, 2305506.5, "2305506.500"},
    {{1583, 1, 1, 0, 0, 0}, 2299238.5, "2299238.500"},
    {{1582, 11, 1, 0, 0, 0}, 2299177.5, "2299177.500"},
    {{1582, 10, 24, 0, 0, 0}, 2299169.5, "2299169.500"},
    {{1582, 10, 15, 0, 0, 0}, 2299160.5, "2299160.500"},
    {{1582, 10, 14, 0, 0, 0}, 2299169.5, "2299169.500"},
    {{1582, 10, 5, 0, 0, 0}, 2299160.5, "2299160.500"},
    {{1582, 10, 4, 0, 0, 0}, 2299159.5, "2299159.500"},
    {{1582, 9, 30, 0, 0, 0}, 2299155.5, "2299155.500"},
    {{100, 1, 1, 0, 0, 0}, 1757582.5, "1757582.500"},
    {{9999, 12, 31, 0, 0, 0}, 5373483.5, "5373483.500"},
    {{1, 1, 1, 0, 0, 0}, 1721423.5, "1721423.500"},
    {{0, 1, 1, 0, 0, 0}, 1721057.5, "1721057.500"},
    {{-1, 1, 1, 0, 0, 0}, 1721057.5, "1721057.500"},
    {{-4713, 1, 1, 12, 0, 0}, 0.0, "0.000"},
    {{-4713, 1, 1, 0, 0, 0}, -0.5, "-0.500"},
    {{-1, -1, -1, -1, -1, -1}, 1720994.4576273148, "1720994.458"},
};

TEST(JulianDateTest, GivesTheTableValuesBitForBit) {
  for (const JulianCase& c : kJulianCases) {
    const double got = JulianDate(c.date);
    EXPECT_EQ(got, c.expected) << c.date.year << "-" << c.date.month << "-" << c.date.day << " " << c.date.hour
                               << ":" << c.date.minute << ":" << c.date.second;
    std::string printed;
    AppendFixed(printed, got, 0, 3);
    EXPECT_EQ(printed, c.printed);
  }
}

struct CalendarCase {
  int year, month, day;
  bool valid;
};

const CalendarCase kCalendarCases[] = {
    {2000, 2, 29, true},   {1900, 2, 29, false}, {2004, 2, 29, true},  {2001, 2, 29, false},
    {2001, 2, 30, false},  {2001, 13, 1, false}, {2001, 0, 1, false},  {2001, 4, 31, false},
    {2001, 12, 31, true},  {2001, 1, 0, false},  {100, 1, 1, true},    {99, 12, 31, false},
    {9999, 12, 31, true},  {10000, 1, 1, false}, {0, 0, 0, false},     {1582, 10, 10, true},
};

TEST(CalendarDateTimeTest, KnowsValidDatesAndMarksOthersInvalid) {
  for (const CalendarCase& c : kCalendarCases) {
    const DateTimeParts parts = CalendarDateTime(c.year, c.month, c.day, 0, 0, 0);
    if (c.valid) {
      EXPECT_EQ(parts.year, c.year);
      EXPECT_EQ(parts.month, c.month);
      EXPECT_EQ(parts.day, c.day);
      EXPECT_EQ(parts.hour, 0);
    } else {
      EXPECT_EQ(parts.year, -1) << c.year << "-" << c.month << "-" << c.day;
      EXPECT_EQ(parts.month, -1);
      EXPECT_EQ(parts.day, -1);
      EXPECT_EQ(parts.second, -1);
    }
  }
}

}  // namespace
}  // namespace orbivane
