#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "filter_table.h"
#include "selection_cursor.h"

namespace orbivane {
namespace {

std::string Describe(const FilterTable& table) {
  std::string text;
  for (int i = 0; i < table.m_nRanges; ++i) {
    text += "[" + std::to_string(table.m_ranges[i].from) + "," + std::to_string(table.m_ranges[i].to) + "]";
  }
  return text;
}

struct ParseCase {
  const char* name;
  std::string text;
  FilterVerdict verdict;
  const char* ranges;
};

const ParseCase kParseCases[] = {
    {"help example", "1-1000, 1001, 1002, 1003, 1004-5000", FilterVerdict::kParsed,
     "[1,1000][1001,1001][1002,1002][1003,1003][1004,5000]"},
    {"ranges and single", "1-1000, 1001, 1004-5000", FilterVerdict::kParsed, "[1,1000][1001,1001][1004,5000]"},
    {"empty text", "", FilterVerdict::kEmpty, ""},
    {"three blanks", "   ", FilterVerdict::kParsed, ""},
    {"reversed range dropped", "10-5", FilterVerdict::kParsed, ""},
    {"lone number", "5", FilterVerdict::kParsed, "[5,5]"},
    {"trailing minus", "5-", FilterVerdict::kParsed, "[5,5]"},
    {"leading minus is no sign", "-5", FilterVerdict::kParsed, "[5,5]"},
    {"leading zeros", "005", FilterVerdict::kParsed, "[5,5]"},
    {"blank separates", "5 6", FilterVerdict::kParsed, "[5,6]"},
    {"blanks around minus", "5 - 6", FilterVerdict::kParsed, "[5,6]"},
    {"double minus", "5--6", FilterVerdict::kParsed, "[5,6]"},
    {"first and last of three", "1-5-3", FilterVerdict::kParsed, "[1,3]"},
    {"order test on final pair", "10-5-20", FilterVerdict::kParsed, "[10,20]"},
    {"empty middle token", "1,,2", FilterVerdict::kParsed, "[1,1][2,2]"},
    {"empty final token", "1-10,", FilterVerdict::kParsed, "[1,10]"},
    {"overlaps kept as typed", "1-10, 5-20", FilterVerdict::kParsed, "[1,10][5,20]"},
    {"zero accepted", "0", FilterVerdict::kParsed, "[0,0]"},
    {"semicolon", "1;2", FilterVerdict::kInvalidSymbols, ""},
    {"tab", "1-10\t", FilterVerdict::kInvalidSymbols, ""},
    {"plus sign", "+5", FilterVerdict::kInvalidSymbols, ""},
    {"letter", "a", FilterVerdict::kInvalidSymbols, ""},
    {"non-ASCII byte", "1-10, \xC3\xA9", FilterVerdict::kInvalidSymbols, ""},
    {"NUL byte", std::string("1\0" "2", 3), FilterVerdict::kInvalidSymbols, ""},
    {"largest number", "2147483647", FilterVerdict::kParsed, "[2147483647,2147483647]"},
    {"ten digits too large", "2147483648", FilterVerdict::kNumberTooLarge, ""},
    {"eleven digits", "1-99999999999", FilterVerdict::kNumberTooLarge, ""},
    {"forty digits", "1234567890123456789012345678901234567890", FilterVerdict::kNumberTooLarge, ""},
    {"too large in a dropped token", "1-5, 9999999999-1", FilterVerdict::kNumberTooLarge, ""},
    {"leading zeros keep it small", "0000000000002147483647", FilterVerdict::kParsed, "[2147483647,2147483647]"},
};

TEST(FilterTableTest, ParsesEveryCase) {
  for (const ParseCase& c : kParseCases) {
    FilterTable table;
    const FilterVerdict verdict = table.ParseFilter(c.text);
    EXPECT_EQ(verdict, c.verdict) << c.name;
    EXPECT_EQ(Describe(table), c.ranges) << c.name << ": expected " << c.ranges << ", got " << Describe(table);
  }
}

std::string Ranges(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? ", " : "") + std::to_string(2 * i + 1) + "-" + std::to_string(2 * i + 1);
  return text;
}

TEST(FilterTableTest, HoldsExactlyOneThousandRangesAndRefusesMore) {
  FilterTable table;
  EXPECT_EQ(table.ParseFilter(Ranges(1000)), FilterVerdict::kParsed);
  EXPECT_EQ(table.m_nRanges, 1000);
  EXPECT_EQ(table.m_ranges[999].from, 1999);

  EXPECT_EQ(table.ParseFilter(Ranges(1001)), FilterVerdict::kTooManyRanges);
  EXPECT_EQ(table.m_nRanges, 0);

  // Tokens that give no range do not count towards the limit.
  EXPECT_EQ(table.ParseFilter(Ranges(1000) + ", 9-1, , --"), FilterVerdict::kParsed);
  EXPECT_EQ(table.m_nRanges, 1000);
}

TEST(FilterTableTest, EveryParseStartsFromAnEmptyTable) {
  FilterTable table;
  ASSERT_EQ(table.ParseFilter("1-10"), FilterVerdict::kParsed);
  EXPECT_EQ(table.ParseFilter(""), FilterVerdict::kEmpty);
  EXPECT_EQ(table.m_nRanges, 0);
  ASSERT_EQ(table.ParseFilter("1-10"), FilterVerdict::kParsed);
  EXPECT_EQ(table.ParseFilter("1-10, x"), FilterVerdict::kInvalidSymbols);
  EXPECT_EQ(table.m_nRanges, 0);
}

TEST(FilterTableTest, RefusalMessagesAreTheProgramsOwn) {
  EXPECT_STREQ(FilterRefusalMessage(FilterVerdict::kInvalidSymbols), "Filter string contains invalid simbols!");
  EXPECT_EQ(FilterRefusalMessage(FilterVerdict::kParsed), nullptr);
  EXPECT_EQ(FilterRefusalMessage(FilterVerdict::kEmpty), nullptr);
}

TEST(FilterTableTest, SelectionIsInclusiveAtBothEnds) {
  FilterTable table;
  table.ParseFilter("1-1000, 1001, 1004-5000");
  const struct {
    int n;
    bool selected;
  } kCases[] = {{0, false}, {1, true}, {1000, true}, {1001, true}, {1002, false}, {1003, false},
                {1004, true}, {5000, true}, {5001, false}};
  for (const auto& c : kCases) EXPECT_EQ(table.IsSelected(c.n), c.selected) << c.n;

  FilterTable empty;
  EXPECT_FALSE(empty.IsSelected(1));
  EXPECT_EQ(empty.HighestNumber(), 0);
  EXPECT_EQ(table.HighestNumber(), 5000);
}

// The run asks a sorted, merged copy of the table; it must answer exactly
// as the table does.
TEST(SelectionCursorTest, AgreesWithTheTableOnRandomFilters) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int tokens = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < tokens; ++i) {
      const int a = static_cast<int>(random() % 300);
      const int b = static_cast<int>(random() % 300);
      text += (i ? "," : "") + std::to_string(a) + (random() % 3 ? "-" + std::to_string(b) : "");
    }
    FilterTable table;
    ASSERT_EQ(table.ParseFilter(text), FilterVerdict::kParsed);
    SelectionCursor cursor(table);
    for (int n = 1; n <= 320; ++n) {
      ASSERT_EQ(cursor.IsSelected(n), table.IsSelected(n)) << "filter " << text << " number " << n;
    }
  }
}

}  // namespace
}  // namespace orbivane
