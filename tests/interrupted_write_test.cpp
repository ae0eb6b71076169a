// Writes cut short: a history file cut at every byte offset, and
// orbivane-cli killed with SIGKILL at random moments of a large conversion.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "catalog.h"
#include "cli_runner.h"
#include "fake_services.h"
#include "history_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FakeServices;
using testing::FinishCli;
using testing::ReadFile;
using testing::ScratchDir;
using testing::StartCli;
using testing::WriteFile;

std::string Bytes(const HistoryRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

HistoryRecord HistoryRun(int n) {
  return MakeHistoryRecord(LocalTime{2001, 12, n, 1, 45, 9}, "/catalogs/run" + std::to_string(n) + ".slc",
                           "1-" + std::to_string(n), n);
}

FakeServices::Row RowOf(const HistoryRecord& record) {
  return {SlotText(record.szDateTime), SlotText(record.szCatalogFile), SlotText(record.szFilter),
          SlotText(record.szNumber)};
}

TEST(InterruptedHistoryTest, AFileCutAtAnyByteShowsTheWholeRecordsAndRealigns) {
  constexpr int kRecords = 3;
  std::string whole;
  for (int n = 1; n <= kRecords; ++n) whole += Bytes(HistoryRun(n));
  ScratchDir dir;
  const std::string path = dir / "history";
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    WriteFile(path, whole.substr(0, cut));
    const std::size_t complete = cut / kHistoryRecordSize;

    FakeServices services;
    CCatalog catalog(services, dir.path());
    ASSERT_TRUE(catalog.LoadHistory().ok());
    std::vector<FakeServices::Row> expected;
    for (std::size_t n = complete; n >= 1; --n) expected.push_back(RowOf(HistoryRun(static_cast<int>(n))));
    ASSERT_EQ(services.rows, expected) << "exactly the whole records before the cut";

    ASSERT_TRUE(catalog.AppendHistory(HistoryRun(9)).ok());
    ASSERT_EQ(ReadFile(path), whole.substr(0, complete * kHistoryRecordSize) + Bytes(HistoryRun(9)))
        << "the stray bytes are cut, nothing before them is lost";
    FakeServices reloaded;
    CCatalog again(reloaded, dir.path());
    ASSERT_TRUE(again.LoadHistory().ok());
    expected.insert(expected.begin(), RowOf(HistoryRun(9)));
    ASSERT_EQ(reloaded.rows, expected) << "every record reads back aligned";
  }
}

// A large conversion killed at random moments: the output path holds the
// previous catalog or the complete new one, never a part.
TEST(InterruptedConversionTest, SigkillLeavesThePreviousOrTheCompleteCatalog) {
  ScratchDir dir;
  WriteFile(dir / "astorb.dat", testing::NumberedSource(30000));
  const std::vector<std::string> args{"convert", "--source", "astorb.dat", "--output", "out.slc", "--filter", "1-30000"};

  // One undisturbed run gives the complete catalog and the time a run takes.
  const auto started = std::chrono::steady_clock::now();
  const testing::CliResult full = FinishCli(StartCli(args, dir.path()), dir.path());
  const auto duration = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(full.status, 0) << full.err;
  const std::string complete = ReadFile(dir / "out.slc");
  ASSERT_EQ(complete.size(), 30000 * 121 - 2u);
  const std::string previous = "the previous catalog\r\n";

  const unsigned seed = std::random_device{}();
  std::printf("[ seed     ] %u\n", seed);
  std::mt19937 random(seed);
  const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(duration * 1.2).count();
  std::uniform_int_distribution<long long> delay(0, longest);
  constexpr int kKills = 30;
  int keptPrevious = 0;
  int completed = 0;
  int leftovers = 0;
  for (int k = 0; k < kKills; ++k) {
    SCOPED_TRACE("kill " + std::to_string(k) + ", seed " + std::to_string(seed));
    WriteFile(dir / "out.slc", previous);
    const pid_t pid = StartCli(args, dir.path());
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(pid, SIGKILL);
    FinishCli(pid, dir.path());

    const std::string now = ReadFile(dir / "out.slc");
    ASSERT_TRUE(now == previous || now == complete) << "a catalog of " << now.size() << " bytes";
    (now == previous ? keptPrevious : completed) += 1;

    // A killed run cannot delete its temporary file; it is the only trace.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name == "astorb.dat" || name == "out.slc" || name == "history") continue;
      ASSERT_EQ(name.rfind(".out.slc.", 0), 0u) << "unexpected file " << name;
      ASSERT_EQ(name.substr(name.size() - 4), ".tmp") << "unexpected file " << name;
      std::filesystem::remove(entry.path());
      ++leftovers;
    }

    // The history holds whole records of complete runs only.
    FakeServices services;
    CCatalog catalog(services, dir.path());
    ASSERT_TRUE(catalog.LoadHistory().ok());
    for (const auto& row : services.rows) ASSERT_EQ(row[3], "30000");
  }
  std::printf("[ figures  ] %d kills: %d kept the previous catalog, %d found the new one complete, "
              "%d left a temporary file\n",
              kKills, keptPrevious, completed, leftovers);
  EXPECT_GT(keptPrevious, 0) << "no kill landed during a run";
}

}  // namespace
}  // namespace orbivane
