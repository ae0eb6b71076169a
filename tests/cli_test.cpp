// orbivane-cli, run as a user runs it: the real binary, its exit status,
// its standard output and error, and the files it leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FileExists;
using testing::ListDir;
using testing::MakeDir;
using testing::ReadFile;
using testing::SampleFile;
using testing::ScratchDir;
using testing::WriteFile;

using Result = testing::CliResult;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(dir_ / "astorb.dat", ReadFile(SampleFile("astorb-current-sample.dat"))); }
  Result Run(const std::vector<std::string>& args) { return testing::RunCli(args, dir_.path()); }
  Result Convert(const std::string& filter, const std::string& output = "out.slc") {
    return Run({"convert", "--source", "astorb.dat", "--output", output, "--filter", filter});
  }

  ScratchDir dir_;
};

TEST_F(CliTest, ConvertsAndRecordsTheAbsoluteOutputPath) {
#ifndef _WIN32  // Windows takes ".." by the letters, so there the missing folder is no matter
  const Result r = Convert("1-6", "./sub/../out.slc");
  EXPECT_EQ(r.status, 1) << "a missing folder in the path is refused";
#endif
  const Result ok = Convert("2, 6");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "Wrote 2 asteroid records to " + (dir_ / "out.slc") + "\n");
  EXPECT_EQ(ok.err, "");
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 2 * 119 + 2u);

  const Result history = Run({"history"});
  EXPECT_EQ(history.status, 0);
  const std::size_t tab = history.out.find('\t');
  ASSERT_NE(tab, std::string::npos);
  EXPECT_EQ(history.out.substr(tab), "\t" + (dir_ / "out.slc") + "\t2, 6\t2\n");
}

TEST_F(CliTest, ListsHistoryNewestFirstAndClearsIt) {
  ASSERT_EQ(Convert("1-10").status, 0);
  ASSERT_EQ(Convert("5").status, 0);
  ASSERT_EQ(Convert("7-9").status, 0);
  const Result history = Run({"history"});
  std::vector<std::string> filters;
  for (std::size_t at = 0; at < history.out.size();) {
    const std::size_t end = history.out.find('\n', at);
    const std::string line = history.out.substr(at, end - at);
    const std::size_t second = line.find('\t', line.find('\t') + 1);
    filters.push_back(line.substr(second + 1, line.find('\t', second + 1) - second - 1));
    at = end + 1;
  }
  EXPECT_EQ(filters, (std::vector<std::string>{"7-9", "5", "1-10"}));

  EXPECT_EQ(Run({"clear-history"}).status, 0);
  EXPECT_FALSE(FileExists(dir_ / "history"));
  EXPECT_EQ(Run({"history"}).out, "");
  EXPECT_EQ(Run({"clear-history"}).status, 0) << "no file is no error";
}

TEST_F(CliTest, KeepsHistoryInTheWorkdirGiven) {
  MakeDir(dir_ / "work");
  ASSERT_EQ(Run({"convert", "--source=astorb.dat", "--output=out.slc", "--filter=1", "--workdir=work"}).status, 0);
  EXPECT_TRUE(FileExists(dir_ / "work/history"));
  EXPECT_FALSE(FileExists(dir_ / "history"));
  EXPECT_NE(Run({"history", "--workdir", "work"}).out, "");
}

TEST_F(CliTest, ReportsTheCapAndSucceeds) {
  std::string big;
  const std::string line = ReadFile(SampleFile("astorb-current-sample.dat")).substr(0, 268);
  for (int i = 0; i < 30001; ++i) big += line;
  WriteFile(dir_ / "astorb.dat", big);
  const Result r = Convert("1-30001");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Asteroid catalogs can't contains more than 30000 asteroids!\n");
  EXPECT_EQ(r.out, "Wrote 30000 asteroid records to " + (dir_ / "out.slc") + "\n");
}

TEST_F(CliTest, RefusesWithoutTouchingAnything) {
  WriteFile(dir_ / "out.slc", "previous");
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string err;
  } kCases[] = {
      {"invalid symbols", {"--filter", "1-5a"}, "Filter string contains invalid simbols!\n"},
      {"empty filter", {"--filter", ""}, "orbivane-cli: the filter is empty; nothing was converted\n"},
      {"no range", {"--filter", "9-1"}, "orbivane-cli: the filter selects no asteroid; nothing was converted\n"},
      {"too many ranges", {"--filter", [] {
         std::string f;
         for (int i = 1; i <= 1001; ++i) f += std::to_string(i) + ",";
         return f;
       }()},
       "Filter string contains more than 1000 ranges! Join some of them into one.\n"},
      {"too large a number", {"--filter", "1-2147483648"},
       "Filter string contains a number greater than 2147483647!\n"},
      {"missing source", {"--filter", "1", "--source", "gone.dat"},
       "Cannot open source catalog \"gone.dat\": No such file or directory\n"},
      {"output is the source", {"--filter", "1", "--output", "astorb.dat"},
       "The catalog file \"" + (dir_ / "astorb.dat") +
           "\" is the source catalog itself; choose another name for the new catalog.\n"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto has = [&](const char* option) {
      for (const std::string& a : c.args) if (a == option) return true;
      return false;
    };
    if (!has("--source")) args.insert(args.end(), {"--source", "astorb.dat"});
    if (!has("--output")) args.insert(args.end(), {"--output", "out.slc"});
    const Result r = Run(args);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    EXPECT_EQ(ReadFile(dir_ / "out.slc"), "previous") << c.name;
    EXPECT_EQ(ListDir(dir_.path()), "astorb.dat out.slc") << c.name;
  }
}

TEST_F(CliTest, CountsLinesEndingWithALineBreak) {
  const Result r = Run({"count", "--source", "astorb.dat"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "6\n");
  WriteFile(dir_ / "partial.dat", "a\r\nb\nc");
  EXPECT_EQ(Run({"count", "--source", "partial.dat"}).out, "2\n");
  const Result missing = Run({"count", "--source", "gone.dat"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot open source catalog \"gone.dat\": No such file or directory\n");
  EXPECT_EQ(missing.out, "");
}

TEST_F(CliTest, AnswersUsageErrorsWithTheUsage) {
  const std::vector<std::vector<std::string>> kBad = {
      {},
      {"frobnicate"},
      {"convert", "--source", "astorb.dat", "--output", "out.slc"},
      {"convert", "--source", "astorb.dat", "--output", "out.slc", "--filter"},
      {"convert", "--source", "a", "--source", "b", "--output", "o", "--filter", "1"},
      {"count"},
      {"count", "--source", "astorb.dat", "--bogus"},
      {"history", "extra"},
      {"--help", "extra"},
  };
  for (const auto& args : kBad) {
    const Result r = Run(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(nothing)" : args[0]);
    EXPECT_NE(r.err.find("Usage:\n  orbivane-cli convert --source FILE --output FILE --filter TEXT"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  const Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage:\n", 0), 0u);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(Run({"--version"}).out, "orbivane-cli 1.0.0.1\n");
  EXPECT_FALSE(FileExists(dir_ / "history"));
}

TEST_F(CliTest, ReportsAnUnreadableHistory) {
  MakeDir(dir_ / "history");
  const Result history = Run({"history"});
  EXPECT_EQ(history.status, 1);
  EXPECT_EQ(history.err, "Cannot read history file \"" + (dir_ / "history") + "\": Is a directory\n");
  const Result convert = Convert("1");
  EXPECT_EQ(convert.status, 1);
  EXPECT_EQ(convert.out, "Wrote 1 asteroid record to " + (dir_ / "out.slc") + "\n");
  EXPECT_NE(convert.err.find("Cannot write history file"), std::string::npos);
}

}  // namespace
}  // namespace orbivane
