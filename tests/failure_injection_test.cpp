// The catalog class (what the window calls) under failing file calls: every
// write, flush, close and rename of a conversion run is failed in turn, and
// the history file's open, read, seek, truncate, write, close and delete.
// The fault shim is linked into this program, so the catalog's own calls
// reach it; nothing here needs root or a special file system.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "catalog.h"
#include "fake_services.h"
#include "fault_shim.h"
#include "history_file.h"
#include "os_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FakeServices;
using testing::ListDir;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

// 2500 lines give a catalog of about 300 KB: several buffer flushes, so a
// run has several writes to fail.
constexpr int kSourceLines = 2500;

std::string Source() { return testing::NumberedSource(kSourceLines); }

std::string Bytes(const HistoryRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

const LocalTime kEarlier{2001, 12, 5, 10, 0, 0};

// The shim is disarmed whatever way a test ends.
struct Disarm {
  ~Disarm() { orbivane_fault_disarm(); }
};

class FailureInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_ / "astorb.dat", Source());
    WriteFile(dir_ / "out.slc", kPrevious);
    WriteFile(dir_ / "history", Bytes(MakeHistoryRecord(kEarlier, "/old.slc", "1-2", 2)) +
                                    Bytes(MakeHistoryRecord(kEarlier, "/older.slc", "3", 1)));
    history_ = ReadFile(dir_ / "history");
    catalog_.m_strSourcePath = dir_ / "astorb.dat";
    catalog_.m_strOutputPath = dir_ / "out.slc";
    catalog_.m_strFilter = "1-" + std::to_string(kSourceLines);
    ASSERT_TRUE(catalog_.LoadHistory().ok());
    rowsBefore_ = services_.rows;
  }

  // The bytes of a successful run of the same filter, made without faults.
  std::string ExpectedCatalog() {
    ScratchDir other;
    FakeServices quiet;
    CCatalog reference(quiet, other.path());
    reference.m_strSourcePath = dir_ / "astorb.dat";
    reference.m_strOutputPath = other / "out.slc";
    reference.m_strFilter = catalog_.m_strFilter;
    EXPECT_EQ(reference.OnStart().result, StartResult::kConverted);
    return ReadFile(other / "out.slc");
  }

  static constexpr const char* kPrevious = "the previous catalog, which must survive a failed run\r\n";
  const Disarm disarm_;
  ScratchDir dir_;
  FakeServices services_;
  CCatalog catalog_{services_, dir_.path()};
  std::string history_;
  std::vector<FakeServices::Row> rowsBefore_;
};

// Fails the nth call for n = 1, 2, ... until a run no longer reaches the
// fault; every failed run must leave everything as it was.
TEST_F(FailureInjectionTest, AFailedCatalogWriteKeepsThePreviousCatalogAndRecordsNothing) {
  const std::string out = dir_ / "out.slc";
  const struct {
    const char* call;
    int error;
    int flags;
    std::string message;
  } kCases[] = {
      {"write", ENOSPC, 0, "Cannot write catalog file \"" + out + "\": No space left on device"},
      {"write", ENOSPC, kFaultPartial, "Cannot write catalog file \"" + out + "\": No space left on device"},
      {"write", EIO, kFaultSticky, "Cannot write catalog file \"" + out + "\": Input/output error"},
      {"fsync", EIO, 0, "Cannot write catalog file \"" + out + "\": Input/output error"},
      {"close", EDQUOT, 0, "Cannot write catalog file \"" + out + "\": Disk quota exceeded"},
      {"rename", EXDEV, 0, "Cannot write catalog file \"" + out + "\": Invalid cross-device link"},
      {"open", EACCES, 0, "Cannot replace catalog file \"" + out + "\": its folder \"" + dir_.path() +
                              "\" does not allow creating the new file beside it: Permission denied"},
  };
  int injected = 0;
  for (const auto& c : kCases) {
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE(std::string(c.call) + " number " + std::to_string(n));
      services_.messages.clear();
      orbivane_fault_arm(c.call, "out.slc", n, c.error, c.flags);
      const StartOutcome outcome = catalog_.OnStart();
      const long fired = orbivane_fault_fired();
      orbivane_fault_disarm();
      if (fired == 0) {
        EXPECT_EQ(outcome.result, StartResult::kConverted) << "a run past its last " << c.call << " succeeds";
        break;
      }
      ++injected;
      EXPECT_EQ(outcome.result, StartResult::kRunRefused);
      EXPECT_EQ(services_.messages, std::vector<std::string>{c.message});
      ASSERT_EQ(ReadFile(out), kPrevious) << "the previous catalog is byte-identical";
      ASSERT_EQ(ListDir(dir_.path()), "astorb.dat history out.slc") << "no temporary file is left";
      ASSERT_EQ(ReadFile(dir_ / "history"), history_) << "no history record";
      ASSERT_EQ(services_.rows, rowsBefore_) << "the list is unchanged";
    }
    EXPECT_GT(n, 1) << c.call << " was never reached";
    if (std::strcmp(c.call, "write") == 0) {
      EXPECT_GE(n, 5) << "the catalog takes several writes";
    }
    // Put the previous catalog and history back for the next kind of fault.
    WriteFile(out, kPrevious);
    WriteFile(dir_ / "history", history_);
    ASSERT_TRUE(catalog_.LoadHistory().ok());
  }
  RecordProperty("injected_catalog_faults", injected);
  std::printf("[ figures  ] %d catalog write, flush, close, rename and create faults injected\n", injected);
}

TEST_F(FailureInjectionTest, AFailedSourceReadRefusesTheRun) {
  const std::string source = dir_ / "astorb.dat";
  const struct {
    const char* call;
    int error;
    std::string message;
  } kCases[] = {
      {"read", EIO, "Cannot read source catalog \"" + source + "\": Input/output error"},
      {"open", EACCES, "Cannot open source catalog \"" + source + "\": Permission denied"},
  };
  int injected = 0;
  for (const auto& c : kCases) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE(std::string(c.call) + " number " + std::to_string(n));
      services_.messages.clear();
      orbivane_fault_arm(c.call, "astorb.dat", n, c.error, 0);
      const StartOutcome outcome = catalog_.OnStart();
      const long fired = orbivane_fault_fired();
      orbivane_fault_disarm();
      if (fired == 0) break;
      ++injected;
      EXPECT_EQ(outcome.result, StartResult::kRunRefused);
      EXPECT_EQ(services_.messages, std::vector<std::string>{c.message});
      ASSERT_EQ(ReadFile(dir_ / "out.slc"), kPrevious);
      ASSERT_EQ(ListDir(dir_.path()), "astorb.dat history out.slc");
      ASSERT_EQ(ReadFile(dir_ / "history"), history_);
    }
    WriteFile(dir_ / "out.slc", kPrevious);
    WriteFile(dir_ / "history", history_);
  }
  std::printf("[ figures  ] %d source open and read faults injected\n", injected);
}

TEST_F(FailureInjectionTest, AFailedHistoryAppendKeepsTheCatalogTheFileAndTheList) {
  const std::string path = dir_ / "history";
  const std::string prefix =
      "The catalog was written, but the run could not be added to the history. Cannot write history file \"" + path +
      "\": ";
  const std::string expected = ExpectedCatalog();
  const struct {
    const char* call;
    int error;
    int flags;
    const char* reason;
  } kCases[] = {
      {"open", EACCES, 0, "Permission denied"},
      {"lseek", EIO, 0, "Input/output error"},
      {"write", ENOSPC, 0, "No space left on device"},
      {"write", ENOSPC, kFaultPartial, "No space left on device"},  // half a record reached the disk
      {"close", EIO, 0, "Input/output error"},  // the whole record reached the file before close failed
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.call);
    services_.messages.clear();
    WriteFile(dir_ / "out.slc", kPrevious);
    orbivane_fault_arm(c.call, "/history", 1, c.error, c.flags);
    const StartOutcome outcome = catalog_.OnStart();
    EXPECT_EQ(orbivane_fault_fired(), c.flags == kFaultPartial ? 2 : 1);
    orbivane_fault_disarm();
    EXPECT_EQ(outcome.result, StartResult::kNotRecorded);
    EXPECT_EQ(services_.messages, std::vector<std::string>{prefix + c.reason});
    EXPECT_EQ(ReadFile(dir_ / "out.slc"), expected) << "the catalog is complete and stays";
    EXPECT_EQ(ReadFile(path), history_) << "no record, whole or partial, is left";
    EXPECT_EQ(services_.rows, rowsBefore_) << "no row for a record that was not stored";
  }

  // The program goes on: the next run is recorded normally.
  services_.messages.clear();
  EXPECT_EQ(catalog_.OnStart().result, StartResult::kConverted);
  EXPECT_TRUE(services_.messages.empty());
  EXPECT_EQ(ReadFile(path).size(), history_.size() + 500);
  EXPECT_EQ(services_.rows.size(), rowsBefore_.size() + 1);
}

TEST_F(FailureInjectionTest, AFailedRealignmentLeavesTheFileForTheNextAppend) {
  const std::string path = dir_ / "history";
  WriteFile(path, history_ + "stray bytes of an interrupted write");
  orbivane_fault_arm("ftruncate", "/history", 1, EIO, 0);
  const Status failed = catalog_.AppendHistory(MakeHistoryRecord(kEarlier, "/new.slc", "9", 1));
  orbivane_fault_disarm();
  EXPECT_EQ(failed.message(), "Cannot write history file \"" + path + "\": Input/output error");
  EXPECT_EQ(ReadFile(path), history_ + "stray bytes of an interrupted write");
  EXPECT_EQ(services_.rows, rowsBefore_);

  ASSERT_TRUE(catalog_.AppendHistory(MakeHistoryRecord(kEarlier, "/new.slc", "9", 1)).ok());
  EXPECT_EQ(ReadFile(path), history_ + Bytes(MakeHistoryRecord(kEarlier, "/new.slc", "9", 1)));
}

TEST_F(FailureInjectionTest, AFailedHistoryLoadSaysWhyAndShowsOnlyWholeRecords) {
  const std::string path = dir_ / "history";
  const struct {
    const char* call;
    long nth;
    int error;
    std::string message;
    std::size_t rows;
  } kCases[] = {
      {"open", 1, EACCES, "Cannot read history file \"" + path + "\": Permission denied", 0},
      {"read", 1, EIO, "Cannot read history file \"" + path + "\": Input/output error", 0},
      {"read", 2, EIO, "Cannot read history file \"" + path + "\": Input/output error", 1},
      {"read", 3, EIO, "Cannot read history file \"" + path + "\": Input/output error", 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.call) + " number " + std::to_string(c.nth));
    orbivane_fault_arm(c.call, "/history", c.nth, c.error, 0);
    const Status loaded = catalog_.LoadHistory();
    orbivane_fault_disarm();
    EXPECT_EQ(loaded.message(), c.message);
    ASSERT_EQ(services_.rows.size(), c.rows);
    for (std::size_t i = 0; i < c.rows; ++i) {
      // The records read before the error, newest of them on top.
      EXPECT_EQ(services_.rows[i], rowsBefore_[rowsBefore_.size() - c.rows + i]);
    }
    EXPECT_EQ(ReadFile(path), history_);
  }
  ASSERT_TRUE(catalog_.LoadHistory().ok());
  EXPECT_EQ(services_.rows, rowsBefore_);
}

TEST_F(FailureInjectionTest, AFailedClearSaysWhyAndShowsWhatIsLeft) {
  const std::string path = dir_ / "history";
  for (int error : {EACCES, EBUSY, EIO}) {
    services_.messages.clear();
    orbivane_fault_arm("unlink", "/history", 1, error, 0);
    catalog_.OnClearHistory();
    orbivane_fault_disarm();
    EXPECT_EQ(services_.messages,
              std::vector<std::string>{"Cannot delete history file \"" + path + "\": " + SystemReason(error)});
    EXPECT_EQ(ReadFile(path), history_);
    EXPECT_EQ(services_.rows, rowsBefore_) << "the reload shows the records still there";
  }
  services_.messages.clear();
  catalog_.OnClearHistory();
  EXPECT_TRUE(services_.messages.empty());
  EXPECT_TRUE(services_.rows.empty());
}

TEST_F(FailureInjectionTest, AFailedCountSaysWhyAndShowsZero) {
  const std::string source = dir_ / "astorb.dat";
  orbivane_fault_arm("read", "astorb.dat", 2, EIO, 0);
  const Status counted = catalog_.CountSourceRecords();
  orbivane_fault_disarm();
  EXPECT_EQ(counted.message(), "Cannot read source catalog \"" + source + "\": Input/output error");
  EXPECT_EQ(catalog_.m_nTotal, 0);
  EXPECT_EQ(catalog_.m_strTotal, "0 ");
  EXPECT_EQ(services_.total, "0 ");
  ASSERT_TRUE(catalog_.CountSourceRecords().ok());
  EXPECT_EQ(catalog_.m_strTotal, std::to_string(kSourceLines) + " ");
}

}  // namespace
}  // namespace orbivane
