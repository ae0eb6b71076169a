// How old a source's elements are: the epoch most lines share, tallied on the count's own pass whatever the blocks
// it reads, the days from it and the file's age, and what orbivane-cli count --epochs prints. The days of the
// calendar here are Unix day numbers that `date -u -d DAY +%s` gives (divided by 86400), not the program's.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "gzip_text.h"
#include "run_program.h"
#include "source_epochs.h"
#include "test_files.h"

namespace orbivane {

using testing::ReadFile;
using testing::WriteFile;

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k20260917 = 20713 * kDay;  // the sample's newest epoch, 0h UTC
constexpr std::int64_t k19960427 = 9613 * kDay;

// The sample's lines with these epochs in place of their own (columns 107-114 of today's layout).
std::string WithEpochs(const std::vector<std::string>& epochs) {
  const std::string sample = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  const std::string line = sample.substr(0, sample.find('\n') + 1);
  std::string text;
  for (const std::string& epoch : epochs) text += line.substr(0, 106) + epoch + line.substr(114);
  return text;
}

}  // namespace

TEST(EpochTallyTest, TheCommonEpochOfTheLinesEndingInABreak) {
  const std::string sample = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  std::string longLine = WithEpochs({"20250101"});
  longLine.insert(200, 5000, 'x');
  const struct {
    const char* name;
    std::string text;
    std::int32_t common;
    std::int64_t other;
  } kCases[] = {
      {"the sample: two of 2026-09-17", sample, 20260917, 4},
      {"the older layout", ReadFile(testing::SampleFile("astorb-old-sample.dat")), 19960427, 1},
      {"a last line without a break is not counted", sample.substr(0, sample.size() - 1), 19960427, 4},
      {"a tie goes to the earlier", WithEpochs({"20260101", "20250101", "20250101", "20260101"}), 20250101, 2},
      {"the most lines win", WithEpochs({"20260101", "20250101", "20260101"}), 20260101, 1},
      {"a line longer than a block's head", longLine + WithEpochs({"20260101"}), 20250101, 1},
      {"epochs not of eight digits", WithEpochs({"2026010 ", "2026O101", "20260101"}), 20260101, 2},
      {"no epoch", "no ASTORB line\n\n", 0, 2},
      {"nothing", "", 0, 0},
  };
  for (const auto& c : kCases) {
    for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{131072}}) {
      SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(block));
      EpochTally tally;
      for (std::size_t at = 0; at < c.text.size(); at += block) {
        tally.Block(c.text.data() + at, std::min(block, c.text.size() - at));
      }
      EXPECT_EQ(tally.Common(), c.common);
      EXPECT_EQ(tally.OtherLines(), c.other);
    }
  }
}

TEST(EpochTallyTest, DaysFromTheEpochAndTheFileAge) {
  EpochTally tally;
  const std::string text = WithEpochs({"20260917"});
  tally.Block(text.data(), text.size());
  const struct {
    const char* name;
    std::int64_t modified, now;
    std::string summary;
    bool stale;
  } kCases[] = {
      {"on the epoch's day", k20260917 - 3 * kDay, k20260917 + 7200, "Epoch 2026-09-17, today; file 3 days old",
       false},
      {"60 days on", 0, k20260917 + 60 * kDay + kDay - 1, "Epoch 2026-09-17, 60 days ago", false},
      {"61 days on", k20260917 + 61 * kDay - 1, k20260917 + 61 * kDay, "Epoch 2026-09-17, 61 days ago; file 0 days old",
       true},
      {"60 days before", 0, k20260917 - 60 * kDay, "Epoch 2026-09-17, 60 days ahead", false},
      {"61 days before", 0, k20260917 - 60 * kDay - 1, "Epoch 2026-09-17, 61 days ahead", true},
      {"a day old", k19960427, k19960427 + kDay, "Epoch 2026-09-17, 11099 days ahead; file 1 day old", true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AgeSummary(tally, c.modified, c.now), c.summary);
    EXPECT_EQ(EpochIsStale(tally, c.now), c.stale);
  }
}

// Plain count prints what it always printed; --epochs adds three lines from the same pass.
TEST(CountEpochsCliTest, PrintsTheEpochTheAgeAndTheOthers) {
  const testing::ScratchDir dir;
  const std::string sample = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  WriteFile(dir / "plain.dat", sample);
  WriteFile(dir / "packed.gz", testing::Gzip(sample));
  // Two orbit lines of other epochs under MPC's header: the tie goes to the earlier.
  const std::string mpcorb = "MPCORB header\n" + std::string(160, '-') + "\n" +
                             ReadFile(testing::SampleFile("mpcorb-sample.dat"));
  WriteFile(dir / "MPCORB.DAT", mpcorb);
  WriteFile(dir / "MPCORB.DAT.gz", testing::Gzip(mpcorb));
  const auto threeDaysAgo = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(3 * kDay + 600);
  for (const char* file : {"plain.dat", "packed.gz", "MPCORB.DAT", "MPCORB.DAT.gz"}) {
    std::filesystem::last_write_time(testing::PathOf(dir / file), threeDaysAgo);
  }
  const std::string lines = "Epoch: 2026-09-17\nFile age: 3 days\nOther epochs: 4 lines\n";
  const std::string mpcorbLines = "Epoch: 2023-02-25\nFile age: 3 days\nOther epochs: 1 line\n";
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string in;
    std::string out;
  } kCases[] = {
      {"plain count", {"--source", "plain.dat"}, "", "6\n"},
      {"plain", {"--source", "plain.dat", "--epochs"}, "", "6\n" + lines},
      {"compressed", {"--epochs", "--source", "packed.gz"}, "", "6\n" + lines},
      {"MPCORB: its orbit lines", {"--source", "MPCORB.DAT", "--epochs"}, "", "2\n" + mpcorbLines},
      {"MPCORB, compressed", {"--source", "MPCORB.DAT.gz", "--epochs"}, "", "2\n" + mpcorbLines},
      {"standard input", {"--source", "-", "--epochs"}, dir / "plain.dat",
       "6\nEpoch: 2026-09-17\nFile age: unknown\nOther epochs: 4 lines\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args{"count"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const testing::Result run = testing::RunProgram(ORBIVANE_CLI, dir.path(), args, c.in);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace orbivane
