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

}  // namespace
}  // namespace orbivane
