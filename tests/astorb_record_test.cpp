#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "astorb_record.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::ReadFile;
using testing::SampleFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Record(std::string_view line) {
  std::string out;
  AppendCatalogRecord(line, out);
  return out;
}

// Writes text into the line at a 1-based column, lengthening it when needed.
std::string Put(std::string line, int column, const std::string& text) {
  const std::size_t at = static_cast<std::size_t>(column - 1);
  if (line.size() < at + text.size()) line.resize(at + text.size(), ' ');
  line.replace(at, text.size(), text);
  return line;
}

const char kCeres1996[] =
    "    1 Ceres                      2450200.500  10.600303  80.659857  71.802404    2.76788714 0.07604100"
    "  80.477333  3.34";

TEST(CatalogRecordTest, ReadsTodaysLayoutToTheByte) {
  const std::vector<std::string> lines = Lines(ReadFile(SampleFile("astorb-current-sample.dat")));
  ASSERT_EQ(lines.size(), 6u);
  const char* kExpected[] = {
      kCeres1996,
      "  153 Hilda                      2454300.500   7.829885 228.308071  40.354462    3.98907828 0.14111330"
      " 359.200297  7.48",
      "    1 Ceres                      2459800.500  10.586785  80.266493  73.531308    2.76661907 0.07863562"
      " 334.327376  3.33",
      "    1 Ceres                      2460300.500  10.587314  80.253704  73.391274    2.76719926 0.07897659"
      "  81.513198  3.33",
      "    1 Ceres                      2461300.500  10.587505  80.248993  73.208090    2.76592189 0.07975072"
      " 295.937548  3.34",
      "      1927 LA                    2461300.500  17.776448 191.009626 338.821813    3.30908436 0.34991985"
      " 153.934066 11.00",
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 267u);
    EXPECT_EQ(&ColumnsOf(lines[i]), &kCurrentColumns) << "line " << i + 1;
    const std::string got = Record(lines[i]);
    EXPECT_EQ(got, kExpected[i]) << "line " << i + 1;
    EXPECT_EQ(got.size(), 119u);
  }
}

TEST(CatalogRecordTest, ReadsTheOlderLayoutToTheByte) {
  const std::vector<std::string> lines = Lines(ReadFile(SampleFile("astorb-old-sample.dat")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(&ColumnsOf(lines[0]), &kOlderColumns);
  EXPECT_EQ(Record(lines[0]), kCeres1996);
  EXPECT_EQ(Record(lines[1]),
            "    1 Ceres                      2452100.500  10.583794  80.489708  73.973398    2.76716809 0.07879873"
            " 125.049915  3.34");
}

// The older sample line, changed in the columns each case names.
TEST(CatalogRecordTest, AppliesTheFieldRules) {
  const std::string base = Lines(ReadFile(SampleFile("astorb-old-sample.dat")))[0];
  const std::string invalidEpoch = "1720994.458";
  const struct {
    const char* name;
    std::string line;
    std::size_t from;  // compare the record from this 0-based position
    std::string expected;
  } kCases[] = {
      {"number 1: four blanks, digit, blank", base, 0, "    1 Ceres "},
      {"blank number: six blanks, name still in column 7", Put(base, 1, "     "), 0, "      Ceres "},
      {"zero number", Put(base, 1, "    0"), 0, "      Ceres "},
      {"negative number", Put(base, 1, "   -3"), 0, "      Ceres "},
      {"name of 18 characters and 8 blanks", Put(base, 7, "ABCDEFGHIJKLMNOPQR"), 6,
       "ABCDEFGHIJKLMNOPQR        "},
      {"columns 7 and 8 blank: empty name", Put(base, 7, "  Ceres"), 6, std::string(26, ' ') + " "},
      {"one inner blank stays", Put(base, 7, "1927 LA           "), 6, "1927 LA                   "},
      {"a pair of blanks ends the name", Put(base, 7, "AB  CD            "), 6, "AB                        "},
      {"a tab is copied, trailing tab removed", Put(base, 7, "A\tB\t  "), 6, "A\tB                       "},
      {"column 25 ends a name of 18", Put(Put(base, 7, "ABCDEFGHIJKLMNOPQ "), 25, " "), 6,
       "ABCDEFGHIJKLMNOPQ         "},
      {"magnitude with one decimal", Put(base, 42, "13.4 "), 113, " 13.40"},
      {"blank magnitude", Put(base, 42, "     "), 113, "  0.00"},
      {"blank epoch", Put(base, 106, "        "), 32, " " + invalidEpoch},
      {"month 13", Put(base, 106, "19961327"), 32, " " + invalidEpoch},
      {"February 30", Put(base, 106, "19960230"), 32, " " + invalidEpoch},
      {"February 29 of a leap year", Put(base, 106, "19960229"), 32, " 2450142.500"},
      {"semimajor axis too wide moves the rest right", Put(base, 169, "123456789.12"), 77,
       "123456789.12000000 0.07604100  80.477333  3.34"},
      {"negative inclination", Put(base, 148, "-10.60030"), 44, " -10.600300"},
      {"garbage numbers read as 0", Put(base, 148, "abc      "), 44, "   0.000000"},
  };
  for (const auto& c : kCases) {
    const std::string got = Record(c.line);
    ASSERT_GE(got.size(), c.from) << c.name;
    EXPECT_EQ(got.substr(c.from, c.expected.size()), c.expected) << c.name << "\n  whole record: " << got;
  }
}

TEST(CatalogRecordTest, ReadsColumnsPastTheEndAsBlanks) {
  EXPECT_EQ(Record(""), std::string(26 + 6, ' ') + " 1720994.458   0.000000   0.000000   0.000000    0.00000000"
                                                  " 0.00000000   0.000000  0.00");
  EXPECT_EQ(Record("   42 Isis").substr(0, 32), "   42 Isis" + std::string(22, ' '));
  // A NUL byte ends the line for the conversions, as it would a C string.
  std::string withNul = Lines(ReadFile(SampleFile("astorb-old-sample.dat")))[0];
  withNul[40] = '\0';
  EXPECT_EQ(Record(withNul), Record(withNul.substr(0, 40)));
}

TEST(ColumnsOfTest, RecognisesBothLayouts) {
  const std::string current = Lines(ReadFile(SampleFile("astorb-current-sample.dat")))[0];
  const std::string older = Lines(ReadFile(SampleFile("astorb-old-sample.dat")))[0];
  const struct {
    const char* name;
    std::string line;
    const AstorbColumns* expected;
  } kCases[] = {
      {"today's line", current, &kCurrentColumns},
      {"older line", older, &kOlderColumns},
      {"just long enough", current.substr(0, 114), &kCurrentColumns},
  };
  for (const auto& c : kCases) EXPECT_EQ(&ColumnsOf(c.line), c.expected) << c.name;
}

}  // namespace
}  // namespace orbivane
