#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "number_text.h"

namespace orbivane {
namespace {

TEST(ParseLeadingIntTest, ReadsLikeAtoi) {
  const struct {
    const char* text;
    int expected;
  } kCases[] = {
      {"", 0},       {"     ", 0},   {"    1", 1},  {" 1234", 1234}, {"-12", -12}, {"+7", 7},
      {"12ab", 12},  {"ab12", 0},    {"\t\n 5", 5}, {"1 2", 1},      {"--1", 0},   {"00042", 42},
      {"99999999999", 2147483647},   {"-99999999999", -2147483647 - 1},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParseLeadingInt(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseLeadingDoubleTest, ReadsDecimalNumbersLikeAtof) {
  const struct {
    const char* text;
    double expected;
  } kCases[] = {
      {"", 0.0},
      {"          ", 0.0},
      {"  80.477333", 80.477333},
      {"-2.7E-04", -2.7e-4},
      {"5.8E-02 ", 5.8e-2},
      {"13.4", 13.4},
      {".5", 0.5},
      {"5.", 5.0},
      {"+3.25", 3.25},
      {"1e", 1.0},
      {"1e+", 1.0},
      {"2E3x", 2000.0},
      {"12.34.56", 12.34},
      {".", 0.0},
      {"-", 0.0},
      {"e5", 0.0},
      {"inf", 0.0},  // decimal numbers only: no infinities,
      {"nan", 0.0},  // no NaN
      {"0x1p3", 0.0},  // and no hexadecimal
      {"1e400", std::numeric_limits<double>::infinity()},
      {"-1e400", -std::numeric_limits<double>::infinity()},
      {"1e-400", 0.0},
      {"0.000001e-320", 0.0},
      {"4.9e-324", 4.9e-324},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParseLeadingDouble(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_TRUE(std::signbit(ParseLeadingDouble("-0")));
  EXPECT_TRUE(std::signbit(ParseLeadingDouble("-1e-400")));
}

// The formatting must print exactly what printf prints, halfway cases,
// negative zero and values wider than the field included.
TEST(AppendFixedTest, MatchesPrintf) {
  const double kValues[] = {0.0, -0.0, 0.125, 0.375, 2.5, -2.5, 0.0000005, 1e-320, 13.4, 7.48,
                            2.76788714, 359.200297, 123456789.123456789, -0.0000001, 1e22, DBL_MAX,
                            -DBL_MAX, std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 1720994.4576273148};
  const struct {
    int width;
    int precision;
  } kFormats[] = {{12, 3}, {11, 6}, {14, 8}, {11, 8}, {6, 2}, {0, 0}};
  for (double value : kValues) {
    for (const auto& f : kFormats) {
      char expected[512];
      std::snprintf(expected, sizeof expected, "%*.*f", f.width, f.precision, value);
      std::string got;
      AppendFixed(got, value, f.width, f.precision);
      EXPECT_EQ(got, expected) << "value " << value << " as %" << f.width << "." << f.precision << "f";
    }
  }
}

TEST(AppendIntTest, PadsLikePrintf) {
  std::string got;
  AppendInt(got, 1, 5);
  AppendInt(got, 123456, 5);
  AppendInt(got, -42, 5);
  EXPECT_EQ(got, "    1123456  -42");
}

}  // namespace
}  // namespace orbivane
