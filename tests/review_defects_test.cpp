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
