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

}  // namespace
}  // namespace orbivane
