// orbivane-cli, the real binary, with its file calls failed by the preloaded
// fault shim, with a limit on the size of the files it may write, and with a
// full device as its output.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "history_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::CliOptions;
using testing::CliResult;
using testing::FaultEnvironment;
using testing::FileExists;
using testing::ListDir;
using testing::ReadFile;
using testing::RunCli;
using testing::ScratchDir;
using testing::WriteFile;

constexpr const char* kPrevious = "the previous catalog\r\n";

class CliFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_ / "astorb.dat", testing::NumberedSource(2500));
    ASSERT_EQ(Convert({}).status, 0);  // one run in the history
    history_ = ReadFile(dir_ / "history");
    ASSERT_EQ(history_.size(), 500u);
    WriteFile(dir_ / "out.slc", kPrevious);
  }

  CliResult Convert(const CliOptions& options, const std::string& filter = "1-2500",
                    const std::string& output = "out.slc") {
    return RunCli({"convert", "--source", "astorb.dat", "--output", output, "--filter", filter}, dir_.path(),
                  options);
  }
  // Whether the shim failed a call in the last run.
  bool Fired() {
    const bool fired = FileExists(report_);
    ::unlink(report_.c_str());
    return fired;
  }

  ScratchDir dir_;
  ScratchDir reportDir_;
  const std::string report_ = reportDir_ / "fired";
  std::string history_;
};

TEST_F(CliFaultTest, EveryFailedCatalogCallKeepsThePreviousCatalog) {
  const std::string out = dir_ / "out.slc";
  const struct {
    const char* call;
    int error;
    const char* mode;
    std::string err;
  } kCases[] = {
      {"write", ENOSPC, "", "Cannot write catalog file \"" + out + "\": No space left on device\n"},
      {"write", ENOSPC, "partial", "Cannot write catalog file \"" + out + "\": No space left on device\n"},
      {"fsync", EIO, "", "Cannot write catalog file \"" + out + "\": Input/output error\n"},
      {"close", EIO, "", "Cannot write catalog file \"" + out + "\": Input/output error\n"},
      {"rename", EACCES, "", "Cannot write catalog file \"" + out + "\": Permission denied\n"},
      {"open", ENOSPC, "", "Cannot create catalog file \"" + out + "\": No space left on device\n"},
  };
  int injected = 0;
  for (const auto& c : kCases) {
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE(std::string(c.call) + " " + c.mode + " number " + std::to_string(n));
      const CliResult r = Convert({FaultEnvironment(c.call, "out.slc", n, c.error, report_, c.mode)});
      if (!Fired()) {
        EXPECT_EQ(r.status, 0) << r.err;
        WriteFile(out, kPrevious);
        WriteFile(dir_ / "history", history_);
        break;
      }
      ++injected;
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, c.err);
      EXPECT_EQ(r.out, "");
      ASSERT_EQ(ReadFile(out), kPrevious);
      ASSERT_EQ(ListDir(dir_.path()), "astorb.dat history out.slc");
      ASSERT_EQ(ReadFile(dir_ / "history"), history_);
    }
    EXPECT_GT(n, 1) << c.call << " was never reached";
  }
  std::printf("[ figures  ] %d faults injected into orbivane-cli convert\n", injected);
}

TEST_F(CliFaultTest, HistoryFailuresAreReportedAndTheProgramCarriesOn) {
  const std::string path = dir_ / "history";
  const CliResult unreadable = RunCli({"history"}, dir_.path(), {FaultEnvironment("read", "/history", 1, EIO, report_)});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.err, "Cannot read history file \"" + path + "\": Input/output error\n");
  EXPECT_EQ(unreadable.out, "");

  // Unreadable for want of permission: root reads every file, so the shim
  // stands in for a chmod.
  const CliResult denied = RunCli({"history"}, dir_.path(), {FaultEnvironment("open", "/history", 1, EACCES, report_)});
  EXPECT_EQ(denied.status, 1);
  EXPECT_EQ(denied.err, "Cannot read history file \"" + path + "\": Permission denied\n");

  for (const char* call : {"open", "lseek", "write", "close"}) {
    SCOPED_TRACE(call);
    const CliResult full = Convert({FaultEnvironment(call, "/history", 1, ENOSPC, report_)});
    EXPECT_TRUE(Fired());
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.out, "Wrote 2500 asteroid records to " + (dir_ / "out.slc") + "\n");
    EXPECT_EQ(full.err, "The catalog was written, but the run could not be added to the history. "
                        "Cannot write history file \"" + path + "\": No space left on device\n");
    EXPECT_EQ(ReadFile(path).size(), history_.size()) << "no record is left";
    EXPECT_TRUE(ReadFile(path) == history_);
  }

  const CliResult busy = RunCli({"clear-history"}, dir_.path(), {FaultEnvironment("unlink", "/history", 1, EBUSY, report_)});
  EXPECT_EQ(busy.status, 1);
  EXPECT_EQ(busy.err, "Cannot delete history file \"" + path + "\": Device or resource busy\n");
  EXPECT_EQ(ReadFile(path), history_);

  const CliResult listed = RunCli({"history"}, dir_.path());
  EXPECT_EQ(listed.status, 0);
  EXPECT_NE(listed.out.find("\t1-2500\t2500\n"), std::string::npos) << listed.out;
}

TEST_F(CliFaultTest, AFileSizeLimitFailsTheRunCleanly) {
  // The catalog outgrows the limit: EFBIG, reported, nothing replaced.
  CliOptions limited;
  limited.fileSizeLimit = 100000;
  const CliResult r = Convert(limited);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot write catalog file \"" + (dir_ / "out.slc") + "\": File too large\n");
  EXPECT_EQ(ReadFile(dir_ / "out.slc"), kPrevious);
  EXPECT_EQ(ListDir(dir_.path()), "astorb.dat history out.slc");
  EXPECT_EQ(ReadFile(dir_ / "history"), history_);

  // The catalog fits, the history record does not: the kernel stores part of
  // it, and the part is taken back.
  limited.fileSizeLimit = 700;
  const CliResult h = Convert(limited, "1");
  EXPECT_EQ(h.status, 1);
  EXPECT_EQ(h.out, "Wrote 1 asteroid record to " + (dir_ / "out.slc") + "\n");
  EXPECT_EQ(h.err, "The catalog was written, but the run could not be added to the history. "
                   "Cannot write history file \"" + (dir_ / "history") + "\": File too large\n");
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 119u);
  EXPECT_EQ(ReadFile(dir_ / "history"), history_);
}

TEST_F(CliFaultTest, AFullDeviceStaysTheDeviceItIs) {
  const CliResult r = Convert({}, "1-10", "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot write catalog file \"/dev/full\": No space left on device\n");
  struct stat st;
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "written in place, never renamed over";
  EXPECT_EQ(ReadFile(dir_ / "history"), history_);
  EXPECT_EQ(ListDir("/dev").find(".full."), std::string::npos) << "no temporary file beside the device";
}

}  // namespace
}  // namespace orbivane
