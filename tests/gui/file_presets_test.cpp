// The preset names of the two file dialogs and the default extension.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "file_presets.h"

namespace orbivane {
namespace {

struct OutputCase {
  const char* name;
  LocalTime now;
  const char* workDir;
  const char* expected;
};

// Test names show the case's name, not its bytes.
void PrintTo(const OutputCase& c, std::ostream* out) { *out << c.name; }

// The cases are written with "/"; each system's own separator stands for it.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

class OutputPresetTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputPresetTest, DayMonthUnderscoreHourMinute) {
  const OutputCase& c = GetParam();
  EXPECT_EQ(OutputPresetName(Native(c.workDir), c.now), Native(c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Presets, OutputPresetTest,
    ::testing::Values(OutputCase{"sixth_of_december_0145", {2001, 12, 6, 1, 45, 9}, "/home/ann", "/home/ann/0612_0145"},
                      OutputCase{"third_of_january_0905", {2027, 1, 3, 9, 5, 0}, "/data", "/data/0301_0905"},
                      OutputCase{"last_minute_of_the_year", {2026, 12, 31, 23, 59, 59}, "/d", "/d/3112_2359"},
                      OutputCase{"midnight_first_of_month", {2026, 2, 1, 0, 0, 0}, "/d", "/d/0102_0000"},
                      OutputCase{"root_folder_gets_one_separator", {2026, 5, 7, 8, 9, 0}, "/", "/0705_0809"},
                      OutputCase{"folder_with_blanks", {2026, 5, 7, 8, 9, 0}, "/my data", "/my data/0705_0809"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SourcePresetTest, WorkDirSeparatorAstorbDat) {
  EXPECT_EQ(SourcePresetName(Native("/home/ann/sky")), Native("/home/ann/sky/astorb.dat"));
  EXPECT_EQ(SourcePresetName(Native("/")), Native("/astorb.dat"));
}

struct ExtensionCase {
  const char* name;
  const char* path;
  const char* expected;
};

// Test names show the case's name, not its bytes.
void PrintTo(const ExtensionCase& c, std::ostream* out) { *out << c.name; }

class DefaultExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(DefaultExtensionTest, AddsSlcOnlyToANameWithoutExtension) {
  const ExtensionCase& c = GetParam();
  EXPECT_EQ(WithDefaultExtension(c.path, "slc"), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Presets, DefaultExtensionTest,
    ::testing::Values(ExtensionCase{"bare_name", "/d/0301_0905", "/d/0301_0905.slc"},
                      ExtensionCase{"already_slc", "/d/0301_0905.slc", "/d/0301_0905.slc"},
                      ExtensionCase{"other_extension_kept", "/d/cat.txt", "/d/cat.txt"},
                      ExtensionCase{"dot_in_folder_only", "/d.v2/cat", "/d.v2/cat.slc"},
                      ExtensionCase{"folder_alone_untouched", "/d/", "/d/"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace orbivane
