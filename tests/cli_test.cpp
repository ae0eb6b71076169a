// orbivane-cli as a user runs it: exit status, standard output and error;
// and killed at random moments of a long conversion.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "history_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::ReadFile;
using testing::WriteFile;

struct Result {
  int status;
  std::string out, err;
};

// Runs orbivane-cli in the folder behind a prefix such as "timeout"; standard output goes to `out` when named.
Result RunCli(const std::string& dir, const std::vector<std::string>& args, const std::string& prefix = "",
           std::string out = "") {
  const testing::ScratchDir streams;
  std::string command = "cd '" + dir + "' && " + prefix + " '" ORBIVANE_CLI "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  out = out.empty() ? streams / "out" : out;
  const int status = std::system((command + " >'" + out + "' 2>'" + (streams / "err") + "'").c_str());
  return {WEXITSTATUS(status), ReadFile(streams / "out"), ReadFile(streams / "err")};
}

std::vector<std::string> Convert(const std::string& filter, const std::string& source = "astorb.dat",
                                 const std::string& output = "out.slc", const std::string& workdir = ".") {
  return {"convert", "--source", source, "--output", output, "--filter", filter, "--workdir", workdir};
}

TEST(CliTest, AnswersEachCommand) {
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", ReadFile(testing::SampleFile("astorb-current-sample.dat")));
  // A path too long for its slot keeps its end, never from inside a UTF-8 character; a filter its start.
  const HistoryRecord earlier = MakeHistoryRecord({2001, 12, 5, 10, 0, 0}, "\xC3\xA9" + std::string(148, 'a'),
                                                  std::string(300, '2'), 2);
  const HistoryRecord later = MakeHistoryRecord({2001, 12, 6, 1, 45, 9}, "/c/b.slc", "3", 1);
  WriteFile(dir / "history", std::string(reinterpret_cast<const char*>(&earlier), 500) +
                                 std::string(reinterpret_cast<const char*>(&later), 500));
  std::filesystem::create_directories(dir / "bad/history");  // a history that cannot be a file
  std::filesystem::create_directory(dir / "new");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::string wrote = "Wrote 1 asteroid record to " + (dir / "out.slc") + "\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;  // err up to the usage that follows a usage error
  } kCases[] = {
      {{"history"}, 0, "12/6/2001 01:45:09\t/c/b.slc\t3\t1\n12/5/2001 10:00:00\t" + std::string(148, 'a') + "\t" +
                           std::string(299, '2') + "\t2\n", ""},
      {{"history", "--workdir", "new"}, 0, "", ""},
      {{"history", "--workdir", "bad/"}, 1, "", "Cannot read history file \"bad/history\": Is a directory\n"},
      {{"clear-history", "--workdir=bad/"}, 1, "", "Cannot delete history file \"bad/history\": Is a directory\n"},
      {{"count", "--source", "astorb.dat"}, 0, "6\n", ""},
      {{"count", "--source", "fifo"}, 0, "0\n", ""},
      {{"count", "--source", "gone"}, 1, "", "Cannot open source catalog \"gone\": No such file or directory\n"},
      {Convert("1-5a"), 1, "", "Filter string contains invalid simbols!\n"},
      {Convert(""), 1, "", "orbivane-cli: the filter is empty; nothing was converted\n"},
      {Convert("9-1"), 1, "", "orbivane-cli: the filter selects no asteroid; nothing was converted\n"},
      {Convert("1", "astorb.dat", "new/../new/history", "new"), 1, "",
       "The catalog file \"" + (dir / "new/../new/history") +
           "\" is the history file; choose another name for the new catalog.\n"},
      {Convert("1-9", "fifo"), 0, "Wrote 0 asteroid records to " + (dir / "out.slc") + "\n", ""},
      {Convert("2, 6"), 0, "Wrote 2 asteroid records to " + (dir / "out.slc") + "\n", ""},
      {Convert("1", "astorb.dat", "out.slc", "bad"), 1, wrote,
       "The catalog was written, but the run could not be added to the history. "
       "Cannot write history file \"bad/history\": Is a directory\n"},
      {{"count", "--source", "a", "--source", "b"}, 2, "", "orbivane-cli: option '--source' given twice\n"},
      {{"history", "extra"}, 2, "", "orbivane-cli: unexpected argument 'extra' for history\n"},
  };
  for (const auto& c : kCases) {
    const Result r = RunCli(dir.path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0];
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_EQ(r.err.substr(0, r.err.find("Usage:\n")), c.err) << c.args[0];
  }
  const Result full = RunCli(dir.path(), {"history"}, "", "/dev/full");
  EXPECT_EQ(full.status, 1) << "output that cannot be written is a failure";
  EXPECT_EQ(full.err, "orbivane-cli: cannot write standard output: No space left on device\n");
}

// The output path holds the previous catalog or the complete new one, and
// the history only whole records of complete runs.
TEST(CliTest, AConversionKilledAnyTimeLeavesThePreviousOrTheCompleteCatalog) {
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", testing::NumberedSource(30000));
  const auto started = std::chrono::steady_clock::now();
  const Result whole = RunCli(dir.path(), Convert("1-30000"));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(whole.status, 0) << "the cap is no failure";
  EXPECT_EQ(whole.out, "Wrote 30000 asteroid records to " + (dir / "out.slc") + "\n");
  EXPECT_EQ(whole.err, "Asteroid catalogs can't contains more than 30000 asteroids!\n");
  const std::string complete = ReadFile(dir / "out.slc");
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  int kept = 0;
  for (int kill = 0; kill < 30; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill) + " of seed " + std::to_string(seed));
    WriteFile(dir / "out.slc", "previous");
    const double delay = 0.001 + took.count() * static_cast<double>(random() % 1200) / 1000;
    RunCli(dir.path(), Convert("1-30000"), "timeout -s KILL " + std::to_string(delay));
    const std::string now = ReadFile(dir / "out.slc");
    ASSERT_TRUE(now == "previous" || now == complete) << now.size() << " bytes";
    kept += now == "previous";
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename();
      if (name.rfind(".out.slc.", 0) == 0) std::filesystem::remove(entry);  // a killed run's temporary file
      EXPECT_TRUE(name == "astorb.dat" || name == "out.slc" || name == "history" || name[0] == '.') << name;
    }
    const std::string history = ReadFile(dir / "history");
    ASSERT_EQ(history.size() % 500, 0u);
    for (std::size_t at = 480; at < history.size(); at += 500) EXPECT_STREQ(history.c_str() + at, "30000");
  }
  EXPECT_GT(kept, 0) << "no kill landed during a run";
}

}  // namespace
}  // namespace orbivane
