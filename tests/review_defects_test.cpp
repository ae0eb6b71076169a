// Defects a review found with the built program: lost history records, a
// damaged epoch read at the wrong columns, paths that overwrite, leftovers.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "astorb_record.h"
#include "cli_runner.h"
#include "history_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::ListDir;
using testing::ReadFile;

TEST(ConcurrentHistoryTest, EveryFinishedAppendLeavesOneWholeRecord) {
  constexpr int kProcesses = 8;
  constexpr int kAppends = 1000;
  testing::ScratchDir dir;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    children.push_back(::fork());
    if (children.back() != 0) continue;
    for (int i = 0; i < kAppends; ++i) {
      const std::string file = std::to_string(p) + "/" + std::to_string(i);
      if (!AppendHistoryFile(dir / "history", MakeHistoryRecord({2001, 12, 6, 1, 45, 9}, file, "1", i))) _exit(1);
    }
    _exit(0);
  }
  for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  std::vector<HistoryRecord> records;
  ASSERT_TRUE(ReadHistoryFile(dir / "history", records).ok());
  std::set<std::string> files;
  for (const HistoryRecord& record : records) files.insert(SlotText(record.szCatalogFile));
  EXPECT_EQ(ReadFile(dir / "history").size(), kProcesses * kAppends * kHistoryRecordSize);
  EXPECT_EQ(files.size(), std::size_t{kProcesses * kAppends}) << "every append, once";
}

TEST(LayoutTest, WhereTheNumberEndsDecidesTheLayout) {
  const auto put = [](std::string line, std::size_t column, const std::string& text) {
    return line.replace(column - 1, text.size(), text);
  };
  const std::string today = testing::CurrentLine(123456, "Ixion");
  const std::string older = ReadFile(testing::SampleFile("astorb-old-sample.dat")).substr(0, 266);
  const std::string noNumber = put(today, 1, "      ");
  const struct {
    const char* name;
    std::string line;
    const AstorbColumns* expected;
  } kCases[] = {
      {"today's, damaged epoch", put(today, 110, "X"), &kCurrentColumns},
      {"today's, ends before column 115", today.substr(0, 110), &kCurrentColumns},
      {"older, damaged epoch, 267 characters", put(older, 109, "X") + " ", &kOlderColumns},
      {"no number, today's epoch", noNumber, &kCurrentColumns},
      {"no number, older epoch, 267 characters", put(older, 1, "     ") + " ", &kOlderColumns},
      {"no number or epoch, 267 characters", put(noNumber, 110, "X"), &kCurrentColumns},
      {"no number or epoch, 266 characters", put(noNumber, 110, "X").substr(0, 266), &kOlderColumns},
  };
  for (const auto& c : kCases) EXPECT_EQ(&ColumnsOf(c.line), c.expected) << c.name;
  std::string good;
  std::string blankEpoch;
  AppendCatalogRecord(today, good);
  AppendCatalogRecord(put(today, 107, "        "), blankEpoch);
  EXPECT_EQ(blankEpoch, good.substr(0, 33) + " 1720994.458" + good.substr(45)) << "only the Julian date changes";
}

// orbivane-cli in a folder with a source and a previous catalog.
class CliDefectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteFile(dir_ / "astorb.dat", testing::NumberedSource(3));
    testing::WriteFile(dir_ / "out.slc", "previous");
  }
  testing::ScratchDir dir_;
};

TEST_F(CliDefectsTest, RefusesBeforeWritingAnything) {
  const std::string usage = "orbivane-cli: option '--workdir' needs a non-empty value\n";
  const std::string gone = "Cannot use history folder \"gone\": No such file or directory\n";
  const auto create = [&](const std::string& shown, const char* reason) {
    return "Cannot create catalog file \"" + (dir_ / shown) + "\": " + reason + "\n";
  };
  // Root writes anywhere: the shim refuses the new file as the folder would.
  const auto denied = [](const std::string& name) { return testing::FaultEnvironment("open", name, 1, EACCES, ""); };
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err;
    std::vector<std::string> environment = {};
  } kCases[] = {
      {"convert, empty folder", {"convert", "--output", "out.slc", "--workdir", ""}, 2, usage},
      {"history, empty folder", {"history", "--workdir="}, 2, usage},
      {"clear-history, empty folder", {"clear-history", "--workdir", ""}, 2, usage},
      {"count, empty source", {"count", "--source", ""}, 2,
       "orbivane-cli: option '--source' needs a non-empty value\n"},
      {"convert, missing folder", {"convert", "--output", "out.slc", "--workdir", "gone"}, 1, gone},
      {"convert, a file for a folder", {"convert", "--output", "out.slc", "--workdir", "out.slc"}, 1,
       "Cannot use history folder \"out.slc\": Not a directory\n"},
      {"history, missing folder", {"history", "--workdir", "gone"}, 1, gone},
      {"clear-history, missing folder", {"clear-history", "--workdir", "gone"}, 1, gone},
      {"a file with a separator", {"convert", "--output", "out.slc/"}, 1, create("out.slc/", "Not a directory")},
      {"a file with /.", {"convert", "--output", "out.slc/."}, 1, create("out.slc/", "Not a directory")},
      {"a new folder", {"convert", "--output", "new/"}, 1, create("new/", "Is a directory")},
      {"a folder that refuses the new file", {"convert", "--output", "out.slc"}, 1,
       "Cannot replace catalog file \"" + (dir_ / "out.slc") + "\": its folder \"" + dir_.path() +
           "\" does not allow creating the new file beside it: Permission denied\n",
       denied("/.out.slc.")},
      {"a folder that refuses a first catalog", {"convert", "--output", "new.slc"}, 1,
       create("new.slc", "Permission denied"), denied("/.new.slc.")},
  };
  for (auto c : kCases) {
    if (c.args[0] == "convert") c.args.insert(c.args.end(), {"--source", "astorb.dat", "--filter", "1-3"});
    const testing::CliResult r = testing::RunCli(c.args, dir_.path(), {c.environment});
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.err.substr(0, r.err.find("Usage:")), c.err) << c.name;
    EXPECT_EQ(ListDir(dir_.path()), "astorb.dat out.slc") << c.name;
    EXPECT_EQ(ReadFile(dir_ / "out.slc"), "previous") << c.name;
  }
}

// The run waits in the middle of its source (a FIFO) when it is killed. Where
// the file system has no unnamed files (the armed fault shim stands in for
// one), the temporary file has a name from the start.
TEST_F(CliDefectsTest, AnInterruptedRunLeavesNothingBehind) {
  ASSERT_EQ(::mkfifo((dir_ / "astorb.fifo").c_str(), 0600), 0);
  ::signal(SIGINT, SIG_DFL);  // children inherit it, even when the tests run in the background
  const int fifo = ::open((dir_ / "astorb.fifo").c_str(), O_RDWR);  // a writer: the run waits for lines
  const std::vector<std::string> args{"convert", "--source", "astorb.fifo", "--output", "out.slc", "--filter", "1-3"};
  const std::vector<std::string> named = testing::FaultEnvironment("unlink", "none", 1, EIO, "");
  const auto interrupt = [&](int signo, bool isNamed) {
    const pid_t pid = testing::StartCli(args, dir_.path(), {isNamed ? named : std::vector<std::string>{}});
    const std::string line = testing::CurrentLine(1, "Ceres") + "\n";
    EXPECT_EQ(::write(fifo, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    int unread = 1;
    for (int wait = 0; wait < 10000 && unread > 0 && ::ioctl(fifo, FIONREAD, &unread) == 0; ++wait) ::usleep(1000);
    ::kill(pid, signo);
    return testing::FinishCli(pid, dir_.path()).status;
  };
  for (const auto& [signo, isNamed] : {std::pair{SIGKILL, false}, std::pair{SIGTERM, true}, std::pair{SIGINT, true}}) {
    EXPECT_EQ(interrupt(signo, isNamed), 128 + signo) << "signal " << signo;
    EXPECT_EQ(ListDir(dir_.path()), "astorb.dat astorb.fifo out.slc") << "signal " << signo;
  }
  EXPECT_EQ(interrupt(SIGKILL, true), 128 + SIGKILL);
  EXPECT_EQ(ListDir(dir_.path()).rfind(".out.slc.", 0), 0u) << "a named file outlives SIGKILL";
  const std::vector<std::string> next{"convert", "--source", "astorb.dat", "--output", "new.slc", "--filter", "1"};
  EXPECT_EQ(testing::RunCli(next, dir_.path()).status, 0);
  EXPECT_EQ(ListDir(dir_.path()), "astorb.dat astorb.fifo history new.slc out.slc") << "the next run removes it";
  EXPECT_EQ(ReadFile(dir_ / "out.slc"), "previous");
  ::close(fifo);
}

}  // namespace
}  // namespace orbivane
