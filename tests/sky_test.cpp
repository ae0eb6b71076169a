// The sky's astronomy against values worked out apart from it: the class table's limits, PyEphem's sightings of
// the sample lines, a published position of Ceres; and the rules of the peak, the bound and the calendar.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "apparition.h"
#include "astorb_record.h"
#include "calendar.h"
#include "orbit_class.h"
#include "test_files.h"

namespace orbivane::sky {
namespace {

std::vector<std::string> SampleLines() {
  std::vector<std::string> lines;
  std::istringstream in(testing::ReadFile(testing::SampleFile("astorb-current-sample.dat")));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Elements ElementsOf(const std::string& line) {
  const AstorbOrbit o = ReadAstorbOrbit(line);
  return {*JulianDateOf({o.epochYear, o.epochMonth, o.epochDay}), o.meanAnomaly, o.perihelion, o.node, o.inclination,
          o.eccentricity, o.semimajorAxis, o.h, o.g};
}

double Day(int year, int month, int day) { return *JulianDateOf({year, month, day}); }

std::string GroupsText(unsigned groups) {
  std::string text;
  for (const OrbitGroup group : {kNeo, kHungaria, kHilda}) {
    if (groups & group) text += (text.empty() ? "" : ",") + std::string(GroupName(group));
  }
  return text;
}

// Each limit of the class table from both sides: at the limit itself (e = 0 makes q = Q = a exactly) and 1e-9 on
// the other side of it.
TEST(OrbitClassTest, TakesEachLimitOfTheTable) {
  constexpr double d = 1e-9;
  const struct { const char* name; double a, e, i; std::string_view orbitClass; std::string groups; } kCases[] = {
      {"a = 0", 0, 0.5, 5, "other", ""},
      {"a < 0", -1, 0.5, 5, "other", ""},
      {"e = 1", 1.5, 1, 5, "other", ""},
      {"e > 1", 1.5, 1.2, 5, "other", ""},
      {"Q just under 0.983", 0.983 - d, 0, 5, "atira", "neo"},
      {"Q = 0.983", 0.983, 0, 5, "aten", "neo"},
      {"a just under 1", 1 - d, 0, 5, "aten", "neo"},
      {"a = 1", 1, 0, 5, "apollo", "neo"},
      {"q just under 1.017", 1.017 - d, 0, 5, "apollo", "neo"},
      {"q = 1.017", 1.017, 0, 5, "amor", "neo"},
      {"q just under 1.3", 1.3 - d, 0, 5, "amor", "neo"},
      {"q = 1.3", 1.3, 0, 5, "mars-crosser", ""},
      {"q just under 1.666", 1.666 - d, 0, 5, "mars-crosser", ""},
      {"q = 1.666", 1.666, 0, 5, "inner-main", ""},
      {"a just under 2", 2 - d, 0, 5, "inner-main", ""},
      {"a = 2", 2, 0, 5, "main", ""},
      {"a just under 3.2", 3.2 - d, 0, 5, "main", ""},
      {"a = 3.2", 3.2, 0, 5, "outer-main", ""},
      {"a just under 3.2, q 1.5", 3.2 - d, 0.53125, 5, "mars-crosser", ""},
      {"a = 3.2, q 1.5", 3.2, 0.53125, 5, "outer-main", ""},
      {"a 4, q just under 1.3", 4, 0.675 + d, 5, "amor", "neo"},
      {"a 4, q just over 1.3", 4, 0.675 - d, 5, "outer-main", ""},
      {"a just under 4.6", 4.6 - d, 0, 5, "outer-main", ""},
      {"a = 4.6", 4.6, 0, 5, "trojan", ""},
      {"a 5, e just under 0.3", 5, 0.3 - d, 5, "trojan", ""},
      {"a 5, e = 0.3", 5, 0.3, 5, "other", ""},
      {"a just under 5.5", 5.5 - d, 0, 5, "trojan", ""},
      {"a = 5.5", 5.5, 0, 5, "centaur", ""},
      {"a 10, q just under 1.3", 10, 0.87 + d, 5, "amor", "neo"},
      {"a 10, q just over 1.3", 10, 0.87 - d, 5, "centaur", ""},
      {"a just under 30.1", 30.1 - d, 0, 5, "centaur", ""},
      {"a = 30.1", 30.1, 0, 5, "tno", ""},
      {"a 40, q just under 1.3", 40, 0.9675 + d, 5, "amor", "neo"},
      {"a 40, q just over 1.3", 40, 0.9675 - d, 5, "tno", ""},
      {"Hungaria: a just under 1.78", 1.78 - d, 0.05, 20, "inner-main", ""},
      {"Hungaria: a = 1.78", 1.78, 0.05, 20, "inner-main", "hungaria"},
      {"Hungaria: a just under 2", 2 - d, 0.1, 20, "inner-main", "hungaria"},
      {"Hungaria: a = 2", 2, 0.1, 20, "main", ""},
      {"Hungaria: e just under 0.18", 1.9, 0.18 - d, 20, "mars-crosser", "hungaria"},
      {"Hungaria: e = 0.18", 1.9, 0.18, 20, "mars-crosser", ""},
      {"Hungaria: i just under 16", 1.9, 0.1, 16 - d, "inner-main", ""},
      {"Hungaria: i = 16", 1.9, 0.1, 16, "inner-main", "hungaria"},
      {"Hungaria: i just under 34", 1.9, 0.1, 34 - d, "inner-main", "hungaria"},
      {"Hungaria: i = 34", 1.9, 0.1, 34, "inner-main", ""},
      {"Hilda: a just under 3.7", 3.7 - d, 0.1, 5, "outer-main", ""},
      {"Hilda: a = 3.7", 3.7, 0.1, 5, "outer-main", "hilda"},
      {"Hilda: a just under 4.2", 4.2 - d, 0.1, 5, "outer-main", "hilda"},
      {"Hilda: a = 4.2", 4.2, 0.1, 5, "outer-main", ""},
      {"Hilda: e just under 0.3", 4, 0.3 - d, 5, "outer-main", "hilda"},
      {"Hilda: e = 0.3", 4, 0.3, 5, "outer-main", ""},
      {"Hilda: i just under 20", 4, 0.1, 20 - d, "outer-main", "hilda"},
      {"Hilda: i = 20", 4, 0.1, 20, "outer-main", ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ClassName(ClassOf(c.a, c.e, c.i)), c.orbitClass) << c.name;
    EXPECT_EQ(GroupsText(GroupsOf(c.a, c.e, c.i)), c.groups) << c.name;
  }
}

// V, elongation, r and Delta of sample lines at 0h TT of a day, as PyEphem sees them. PyEphem sees the asteroid
// where it was when its light left, so the orbit is taken there too (the Earth stays at the day's 0h); the rest
// PyEphem gives differently is its own Earth (VSOP87, within an arcsecond), single precision and V rounded to 0.01.
// Hence the tolerances: V 0.005 for the rounding and 0.001 for the rest; an arcsecond is 5e-6 AU at 1 AU, and
// under 0.001 degrees.
TEST(SightTest, AgreesWithPyEphem) {
  constexpr double kLightDaysPerAu = 499.004784 / 86400;
  const struct { const char* name; int line; CalendarDay day; double v, elongation, r, delta; } kCases[] = {
      // Made by tools/sky_reference.py (PyEphem 4.1.4).
      {"Ceres of 2023-12-22 near the Sun", 4, {2023, 11, 8}, 8.64, 8.037013, 2.716135263, 3.693845510},
      {"Ceres of 2023-12-22 near opposition", 4, {2025, 10, 2}, 7.56, 164.860352, 2.939638138, 1.961762309},
      {"Ceres of 2022-08-09, a year before its epoch", 3, {2021, 8, 9}, 8.94, 74.269753, 2.834329844, 2.935890436},
      {"Hilda at its epoch", 2, {2007, 7, 19}, 12.90, 140.081146, 3.426240921, 2.584141016},
      {"Hilda ten years on", 2, {2017, 3, 1}, 14.23, 15.490928, 3.908622980, 4.854501724},
      {"1927 LA, G blank, at its epoch", 6, {2026, 9, 17}, 17.36, 155.649734, 4.401206970, 3.465812206},
      {"1927 LA at elongation 60", 6, {2027, 6, 1}, 18.37, 59.897129, 4.442190170, 4.863265038},
  };
  const std::vector<std::string> lines = SampleLines();
  for (const auto& c : kCases) {
    const Elements elements = ElementsOf(lines[c.line - 1]);
    const double tt = *JulianDateOf(c.day);
    const Vector3 earth = EarthAt(tt);
    Sight sight = SightOf(elements, AsteroidAt(elements, tt), earth);
    for (int step = 0; step < 2; ++step) {
      sight = SightOf(elements, AsteroidAt(elements, tt - sight.earthDistance * kLightDaysPerAu), earth);
    }
    EXPECT_NEAR(sight.magnitude, c.v, 0.006) << c.name;
    EXPECT_NEAR(sight.elongation, c.elongation, 0.001) << c.name;
    EXPECT_NEAR(sight.sunDistance, c.r, 5e-6) << c.name;
    EXPECT_NEAR(sight.earthDistance, c.delta, 5e-6) << c.name;
  }
}

// Ceres's line of epoch 2023-12-22 on 2023-11-08 10:00 UTC (TT 69.184 s later): the geocentric geometric J2000
// position published from the same line, RA 15.39674 h and Dec -15.15385 degrees, within 5 arcseconds.
TEST(SightTest, FindsCeresWherePublished) {
  const Elements ceres = ElementsOf(SampleLines()[3]);
  const double tt = Day(2023, 11, 8) + (10 * 3600 + 69.184) / 86400;
  const Sight sight = SightOf(ceres, AsteroidAt(ceres, tt), EarthAt(tt));
  const double dec = -15.15385;
  const double arcsecondsPerHour = 15 * 3600 * std::cos(dec * std::numbers::pi / 180);
  EXPECT_LE(std::abs(sight.rightAscension - 15.39674) * arcsecondsPerHour, 5) << "RA " << sight.rightAscension;
  EXPECT_LE(std::abs(sight.declination - dec) * 3600, 5) << "Dec " << sight.declination;
}

// The peak of sample lines over windows of days, against PyEphem's V on each day: the day of the least V (one of
// those PyEphem's rounding cannot tell apart) among the days the elongation limit lets in. Then every day ties:
// with H = 1e17 each day's V rounds to 1e17, and the peak is the first day the limit lets in.
TEST(PeakTest, IsTheFirstDayOfTheLeastVTheElongationLimitLetsIn) {
  const struct { const char* name; int line; CalendarDay first; int days, elongation, firstIn, from, to; double v; }
  kCases[] = {
      // Made by tools/sky_reference.py (PyEphem 4.1.4).
      {"Ceres passing the Sun", 4, {2023, 10, 15}, 78, 0, 0, 35, 38, 8.52},
      {"the same, elongation 10", 4, {2023, 10, 15}, 78, 10, 0, 20, 20, 8.68},
      {"the same from 2023-11-10, elongation 10", 4, {2023, 11, 10}, 40, 10, 28, 28, 28, 8.71},
      {"the same, elongation 30: no day", 4, {2023, 10, 15}, 78, 30, -1, -1, -1, 0.00},
      {"Hilda over a year", 2, {2007, 1, 1}, 365, 0, 0, 161, 164, 12.30},
      {"1927 LA over a year, elongation 60", 6, {2027, 1, 1}, 365, 60, 152, 275, 275, 16.86},
  };
  const std::vector<std::string> lines = SampleLines();
  for (const auto& c : kCases) {
    Elements elements = ElementsOf(lines[c.line - 1]);
    const DayWindow window(*JulianDateOf(c.first), c.days);
    const Peak peak = PeakOf(elements, window, c.elongation);
    EXPECT_EQ(peak.found, c.firstIn >= 0) << c.name;
    if (peak.found) {
      EXPECT_GE(peak.day, c.from) << c.name;
      EXPECT_LE(peak.day, c.to) << c.name;
      EXPECT_NEAR(peak.magnitude, c.v, 0.006) << c.name;
    }
    elements.h = 1e17;
    EXPECT_EQ(PeakOf(elements, window, c.elongation).day, c.firstIn) << c.name << ", every day tied";
  }
  Elements open = ElementsOf(lines[3]);
  for (const auto& [a, e] : std::vector<std::pair<double, double>>{{2.77, 1}, {2.77, 1.5}, {0, 0.1}}) {
    open.semimajorAxis = a;
    open.eccentricity = e;
    EXPECT_FALSE(PeakOf(open, DayWindow(Day(2023, 1, 1), 30), 0).found) << "a = " << a << ", e = " << e;
  }
}

// The search for the peak skips days by bounds; whatever it skips, it must find what looking at every day finds,
// for orbits of every kind (fast and slow, near the Earth's and far, G within and outside 0 to 1).
TEST(PeakTest, FindsWhatLookingAtEveryDayFinds) {
  std::mt19937_64 random(20240705);
  const auto uniform = [&](double low, double high) { return low + (high - low) * static_cast<double>(random() >> 11) * 0x1p-53; };
  const DayWindow windows[] = {DayWindow(Day(2024, 1, 1), 45), DayWindow(Day(2030, 6, 1), 400)};
  for (int orbit = 0; orbit < 100; ++orbit) {
    const Elements elements{Day(2027, 1, 1) + uniform(-2000, 2000), uniform(0, 360), uniform(0, 360),
                            uniform(0, 360), uniform(0, 60), uniform(0, 0.95), uniform(0.3, 6), 10,
                            orbit % 4 ? 0.15 : uniform(-0.5, 1.5)};
    for (const DayWindow& window : windows) {
      for (const double limit : {0.0, 50.0, 120.0}) {
        Peak expected;
        for (int day = 0; day < window.days(); ++day) {
          const Sight sight = SightOf(elements, AsteroidAt(elements, window.Day(day)), window.Earth(day));
          if (sight.elongation >= limit && (!expected.found || sight.magnitude < expected.magnitude)) {
            expected = {true, sight.magnitude, day};
          }
        }
        const std::string name = "orbit " + std::to_string(orbit) + ", " + std::to_string(window.days()) +
                                 " days, elongation " + std::to_string(limit);
        const Peak got = PeakOf(elements, window, limit);
        ASSERT_EQ(got.found, expected.found) << name;
        if (!expected.found) continue;
        EXPECT_EQ(got.day, expected.day) << name;
        EXPECT_EQ(got.magnitude, expected.magnitude) << name;
        const double brighter = std::nextafter(expected.magnitude, -HUGE_VAL);
        EXPECT_EQ(PeakOf(elements, window, limit, expected.magnitude).day, expected.day) << name;
        EXPECT_FALSE(PeakOf(elements, window, limit, brighter).found) << name;
        EXPECT_TRUE(Reaches(elements, window, limit, expected.magnitude)) << name;
        EXPECT_FALSE(Reaches(elements, window, limit, brighter)) << name;
        EXPECT_LE(BrightestPossible(elements, window), expected.magnitude) << name;
      }
    }
  }
}

// No day of a window is brighter than the bound: the sample lines over twenty years, and circular orbits in the
// ecliptic just outside and inside the Earth's whose nearest day comes with no phase (the first at opposition on
// the day the Earth is at its farthest from the Sun, which makes the bound tight), for G at its limits and beyond.
TEST(BoundTest, NoDayIsBrighter) {
  std::vector<std::pair<std::string, Elements>> orbits;
  for (const std::string& line : SampleLines()) orbits.emplace_back(line.substr(0, 25), ElementsOf(line));
  // The Earth's heliocentric ecliptic longitude at 2024-07-05 0h TT, when it is at its farthest.
  const Vector3 earth = EarthAt(Day(2024, 7, 5));
  constexpr double kObliquity = 84381.448 / 3600 * std::numbers::pi / 180;
  const double opposite = std::atan2(earth.y * std::cos(kObliquity) + earth.z * std::sin(kObliquity), earth.x);
  for (const double g : {-0.5, 0.0, 0.15, 1.0, 1.5}) {
    const Elements outside{Day(2024, 7, 5), opposite * 180 / std::numbers::pi, 0, 0, 0, 0, 1.2, 10, g};
    orbits.emplace_back("just outside, G " + std::to_string(g), outside);
    Elements inside = outside;
    inside.semimajorAxis = 0.8;
    inside.meanAnomaly += 180;
    orbits.emplace_back("just inside, G " + std::to_string(g), inside);
  }
  for (const DayWindow& window : {DayWindow(Day(2015, 1, 1), 3660), DayWindow(Day(2024, 6, 1), 60),
                                  DayWindow(Day(1995, 6, 1), 365)}) {
    for (const auto& [name, elements] : orbits) {
      const Peak peak = PeakOf(elements, window, 0);
      EXPECT_GE(peak.magnitude, BrightestPossible(elements)) << name << ", day " << peak.day;
      EXPECT_GE(peak.magnitude, BrightestPossible(elements, window)) << name << ", day " << peak.day;
    }
  }
}

TEST(CalendarTest, KnowsWhichDaysExist) {
  const struct { CalendarDay day; double julianDate; } kDays[] = {
      {{2000, 1, 1}, 2451544.5}, {{2024, 2, 29}, 2460369.5}, {{1582, 10, 15}, 2299160.5}, {{-4799, 1, 1}, -31738.5}};
  for (const auto& c : kDays) {
    EXPECT_EQ(JulianDateOf(c.day), c.julianDate) << c.day.year << "-" << c.day.month << "-" << c.day.day;
    EXPECT_EQ(DayOf(c.julianDate), c.day) << c.julianDate;
  }
  const CalendarDay kNone[] = {{2023, 2, 29}, {2024, 2, 30}, {2023, 4, 31}, {2023, 13, 1}, {2023, 0, 1},
                               {2023, 1, 0}, {-4800, 12, 31}};
  for (const CalendarDay& day : kNone) {
    EXPECT_FALSE(JulianDateOf(day)) << day.year << "-" << day.month << "-" << day.day;
  }
  // Every day of 1900 to 2100 goes there and back; a date a moment before 0h, as arithmetic leaves it, stays.
  for (double jd = Day(1900, 1, 1); jd <= Day(2100, 12, 31); ++jd) {
    ASSERT_EQ(JulianDateOf(DayOf(jd)), jd);
    ASSERT_EQ(DayOf(jd - 1e-9), DayOf(jd));
  }
}

}  // namespace
}  // namespace orbivane::sky
