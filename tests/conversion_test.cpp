#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "astorb_record.h"
#include "catalog.h"
#include "catalog_run_fixture.h"
#include "fake_services.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FakeServices;
using testing::FileExists;
using testing::ListDir;
using testing::MakeDir;
using testing::NumberedSource;
using testing::ReadFile;
using testing::SampleFile;
using testing::ScratchDir;
using testing::WriteFile;

// The asteroid numbers of the catalog's records, in file order.
std::vector<int> RecordNumbers(const std::string& catalog) {
  std::vector<int> numbers;
  for (std::size_t at = 0; at < catalog.size();) {
    std::size_t end = catalog.find("\r\n", at);
    if (end == std::string::npos) end = catalog.size();
    numbers.push_back(std::stoi(catalog.substr(at, 6)));
    at = end + 2;
  }
  return numbers;
}

std::vector<int> Span(int from, int to) {
  std::vector<int> numbers;
  for (int n = from; n <= to; ++n) numbers.push_back(n);
  return numbers;
}

class ConversionTest : public testing::CatalogRunTest {};

TEST_F(ConversionTest, WritesRecordsJoinedByCrLfAndRecordsTheRun) {
  const std::string source = ReadFile(SampleFile("astorb-current-sample.dat"));
  const StartOutcome outcome = StartOn(source, "1-6");
  EXPECT_EQ(outcome.result, StartResult::kConverted);
  EXPECT_EQ(outcome.records, 6);

  std::string expected;
  std::size_t at = 0;
  for (int n = 0; n < 6; ++n) {
    const std::size_t lf = source.find('\n', at);
    if (n) expected += "\r\n";
    AppendCatalogRecord(std::string_view(source).substr(at, lf - at), expected);
    at = lf + 1;
  }
  EXPECT_EQ(Output(), expected);
  EXPECT_EQ(Output().size(), 6 * 119 + 5 * 2u);
  EXPECT_EQ(History(), (std::vector<FakeServices::Row>{
                           {"12/6/2001 01:45:09", dir_ / "out.slc", "1-6", "6"}}));
  EXPECT_EQ(services_.rows, History()) << "the list shows the new run on top";
  EXPECT_TRUE(services_.messages.empty());
  EXPECT_EQ(ListDir(dir_.path()), "astorb.dat history out.slc") << "no temporary file is left";
}

TEST_F(ConversionTest, SelectsByLinePositionInLineOrder) {
  const struct {
    const char* filter;
    std::vector<int> numbers;
  } kCases[] = {
      {"1-10, 5-20", Span(1, 20)},
      {"100-200, 1-5", [] { auto v = Span(1, 5); for (int n : Span(100, 200)) v.push_back(n); return v; }()},
      {"7", {7}},
      {"248-260", Span(248, 250)},  // numbers past the last line yield no record
  };
  for (const auto& c : kCases) {
    StartOn(NumberedSource(250), c.filter);
    EXPECT_EQ(RecordNumbers(Output()), c.numbers) << c.filter;
  }
}

TEST_F(ConversionTest, OneRecordHasNoLineBreakAndNoneWritesAnEmptyFile) {
  StartOn(NumberedSource(3), "2");
  EXPECT_EQ(Output().size(), 119u);
  EXPECT_EQ(Output().find('\n'), std::string::npos);

  const StartOutcome zero = StartOn(NumberedSource(3), "0");
  EXPECT_EQ(zero.result, StartResult::kConverted);
  EXPECT_TRUE(FileExists(dir_ / "out.slc"));
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(History().front()[3], "0");
  EXPECT_EQ(services_.rangeUpper, 0);

  StartOn(NumberedSource(3), "10-20");  // the source ends before the range starts
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(History().front()[3], "0");
}

TEST_F(ConversionTest, StopsAtThirtyThousandRecords) {
  const std::string source = NumberedSource(30001);
  const struct {
    const char* filter;
    int records;
    int lastNumber;
  } kCases[] = {
      {"1-30000", 30000, 30000},      // exactly the cap: the message still comes
      {"1-40000", 30000, 30000},      // more selected than the cap
      {"2-30001", 30000, 30001},
  };
  for (const auto& c : kCases) {
    services_.messages.clear();
    const StartOutcome outcome = StartOn(source, c.filter);
    EXPECT_EQ(outcome.records, c.records) << c.filter;
    EXPECT_TRUE(outcome.capped) << c.filter;
    EXPECT_EQ(services_.messages, std::vector<std::string>{"Asteroid catalogs can't contains more than 30000 asteroids!"});
    const std::vector<int> numbers = RecordNumbers(Output());
    ASSERT_EQ(numbers.size(), 30000u) << c.filter;
    EXPECT_EQ(numbers.back(), c.lastNumber);
    EXPECT_EQ(History().front()[3], "30000");
  }
  // 29999 selected lines: no message.
  services_.messages.clear();
  EXPECT_FALSE(StartOn(source, "1-29999").capped);
  EXPECT_TRUE(services_.messages.empty());
}

TEST_F(ConversionTest, DrivesTheProgressBar) {
  const struct {
    const char* filter;
    int lines;
    int upper;
    std::vector<int> positions;
  } kCases[] = {
      {"9", 20, 0, {0}},
      {"25", 30, 2, {0, 1, 2}},
      {"1-25", 10, 2, {0, 1}},  // the source ends first; the bar stays where its last line put it
  };
  for (const auto& c : kCases) {
    services_.positions.clear();
    StartOn(std::string(static_cast<std::size_t>(c.lines), '\n'), c.filter);
    EXPECT_EQ(services_.rangeLower, 0) << c.filter;
    EXPECT_EQ(services_.rangeUpper, c.upper) << c.filter;
    EXPECT_EQ(services_.positions, c.positions) << c.filter;
  }
}

TEST_F(ConversionTest, ScalesLongRunsIntoTheSixteenBitBar) {
  // 700000 lines: 70000 steps do not fit in 65535, so every step is two.
  StartOn(std::string(700000, '\n'), "700000");
  EXPECT_EQ(services_.rangeUpper, 35000);
  ASSERT_EQ(services_.positions.size(), 35001u);
  EXPECT_EQ(services_.positions.front(), 0);
  EXPECT_EQ(services_.positions.back(), 35000);
  for (std::size_t i = 1; i < services_.positions.size(); ++i) {
    ASSERT_EQ(services_.positions[i], services_.positions[i - 1] + 1) << "the bar moves evenly";
  }
}

TEST_F(ConversionTest, GateStopsSilentlyOrWithTheFilterMessage) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(3));
  const std::string src = dir_ / "astorb.dat";
  const std::string out = dir_ / "out.slc";
  const struct {
    const char* name;
    std::string filter, source, output;
    StartResult result;
    std::vector<std::string> calls;
  } kCases[] = {
      {"empty filter", "", src, out, StartResult::kEmptyFilter, {"PullTexts"}},
      {"invalid symbols", "1-3; 5", src, out, StartResult::kFilterRefused,
       {"PullTexts", "ShowMessage Filter string contains invalid simbols!"}},
      {"too large a number", "1-3000000000", src, out, StartResult::kFilterRefused,
       {"PullTexts", "ShowMessage Filter string contains a number greater than 2147483647!"}},
      {"no range", "10-5, ,", src, out, StartResult::kNoRange, {"PullTexts"}},
      {"empty source path", "1", "", out, StartResult::kNoSource, {"PullTexts"}},
      {"empty output path", "1", src, "", StartResult::kNoOutput, {"PullTexts"}},
  };
  for (const auto& c : kCases) {
    services_.calls.clear();
    EXPECT_EQ(Start(c.filter, c.source, c.output).result, c.result) << c.name;
    EXPECT_EQ(services_.calls, c.calls) << c.name;
    EXPECT_FALSE(FileExists(out)) << c.name;
    EXPECT_FALSE(FileExists(dir_ / "history")) << c.name;
  }
}

TEST_F(ConversionTest, RefusesFilesItCannotUseAndKeepsThePreviousCatalog) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(3));
  MakeDir(dir_ / "folder");
  const std::string src = dir_ / "astorb.dat";
  const struct {
    const char* name;
    std::string source;
    std::string output;
    std::string message;
  } kCases[] = {
      {"missing source", dir_ / "missing.dat", dir_ / "out.slc",
       "Cannot open source catalog \"" + (dir_ / "missing.dat") + "\": No such file or directory"},
      {"folder as source", dir_ / "folder", dir_ / "out.slc",
       "Cannot read source catalog \"" + (dir_ / "folder") + "\": Is a directory"},
      {"output in a missing folder", src, dir_ / "nowhere/out.slc",
       "Cannot create catalog file \"" + (dir_ / "nowhere/out.slc") + "\": No such file or directory"},
      {"output is the source", src, src,
       "The catalog file \"" + src + "\" is the source catalog itself; choose another name for the new catalog."},
#ifndef _WIN32
      {"output is a full device", src, "/dev/full",
       "Cannot write catalog file \"/dev/full\": No space left on device"},
#endif
  };
  WriteFile(dir_ / "out.slc", "previous catalog");
  for (const auto& c : kCases) {
    services_.messages.clear();
    EXPECT_EQ(Start("1-3", c.source, c.output).result, StartResult::kRunRefused) << c.name;
    EXPECT_EQ(services_.messages, std::vector<std::string>{c.message}) << c.name;
    EXPECT_EQ(ReadFile(dir_ / "out.slc"), "previous catalog") << c.name;
    EXPECT_EQ(ReadFile(src), NumberedSource(3)) << c.name;
    EXPECT_EQ(ListDir(dir_.path()), "astorb.dat folder out.slc") << c.name << ": no history, no temporary file";
  }
#ifndef _WIN32
  struct stat st;
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device is written in place, never replaced";
#endif
}

#ifndef _WIN32
TEST_F(ConversionTest, ReplacesTheFileALinkPointsTo) {
  MakeDir(dir_ / "real");
  WriteFile(dir_ / "real/catalog.slc", "an older and much longer catalog than the new one will be, by far");
  ASSERT_EQ(::chmod((dir_ / "real/catalog.slc").c_str(), 0640), 0);
  ASSERT_EQ(::symlink((dir_ / "real/catalog.slc").c_str(), (dir_ / "out.slc").c_str()), 0);
  StartOn(NumberedSource(2), "1");
  struct stat st;
  ASSERT_EQ(::lstat((dir_ / "out.slc").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(dir_ / "real/catalog.slc").size(), 119u);
  ASSERT_EQ(::stat((dir_ / "real/catalog.slc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced catalog keeps its permissions";
  EXPECT_EQ(ListDir(dir_ / "real"), "catalog.slc");
}
#endif

TEST_F(ConversionTest, KeepsTheCatalogWhenTheHistoryCannotBeWritten) {
  MakeDir(dir_ / "history");
  const StartOutcome outcome = StartOn(NumberedSource(3), "1-3");
  EXPECT_EQ(outcome.result, StartResult::kNotRecorded);
  EXPECT_EQ(RecordNumbers(Output()), Span(1, 3));
  ASSERT_EQ(services_.messages.size(), 1u);
  EXPECT_EQ(services_.messages[0],
            "The catalog was written, but the run could not be added to the history. Cannot write history file \"" +
                (dir_ / "history") + "\": Is a directory");
  EXPECT_TRUE(services_.rows.empty());
}

TEST_F(ConversionTest, SurvivesGarbageInSelectedLines) {
  std::string garbage;
  for (int i = 0; i < 4000; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  const StartOutcome outcome = StartOn(garbage + "\n" + std::string(300, '\0') + "\n\r\n\n", "1-10");
  EXPECT_EQ(outcome.result, StartResult::kConverted);
  EXPECT_GE(outcome.records, 4);
}

}  // namespace
}  // namespace orbivane
