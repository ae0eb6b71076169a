// The file layer as users meet it through orbivane-cli, on every system: a
// second run onto the same catalog, names in any script, and the system's
// own reason for a refusal, the previous catalog kept whole.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "os_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orbivane {
namespace {

using testing::CliResult;
using testing::ListDir;
using testing::MakeDir;
using testing::NumberedSource;
using testing::PathOf;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

class FileLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(dir_ / "astorb.dat", NumberedSource(3)); }
  CliResult Convert(const std::string& output, const std::string& source = "astorb.dat") {
    return testing::RunCli({"convert", "--source", source, "--output", output, "--filter", "1-3"}, dir_.path());
  }

  ScratchDir dir_;
};

TEST_F(FileLayerTest, SecondRunReplacesTheCatalogOfTheFirst) {
  ASSERT_EQ(Convert("out.slc").status, 0);
  WriteFile(dir_ / "out.slc", "previous");
  const CliResult again = Convert("out.slc");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 3 * 119 + 2 * 2u);
}

TEST_F(FileLayerTest, TakesNamesInAnyScript) {
  const std::string folder = dir_ / "Кометы ☄ Müll";
  const std::string output = folder + ScratchDir::kSeparator + "Ĉatalog ✓.slc";
  MakeDir(folder);
  WriteFile(folder + ScratchDir::kSeparator + "astorb ä.dat", NumberedSource(3));
  const CliResult r = Convert(output, folder + ScratchDir::kSeparator + "astorb ä.dat");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Wrote 3 asteroid records to " + output + "\n");
  EXPECT_EQ(ListDir(folder), "astorb ä.dat Ĉatalog ✓.slc");
}

TEST_F(FileLayerTest, RefusalsGiveTheSystemsReasonAndKeepThePreviousCatalog) {
  MakeDir(dir_ / "folder");
  WriteFile(dir_ / "held.slc", "previous");
  WriteFile(dir_ / "read-only.slc", "previous");
  const struct {
    const char* name;
    std::string output;
    std::string err;
  } kCases[] = {
      {"folder", "folder", "Cannot create catalog file \"" + (dir_ / "folder") + "\": Is a directory\n"},
#ifdef _WIN32
      {"held open by another program", "held.slc",
       "Cannot write catalog file \"" + (dir_ / "held.slc") + "\": " + SystemReason(-ERROR_SHARING_VIOLATION) + "\n"},
      {"read-only", "read-only.slc",
       "Cannot write catalog file \"" + (dir_ / "read-only.slc") + "\": Permission denied\n"},
#endif
  };
#ifdef _WIN32
  // As a planetarium program holds a catalog it has loaded: others may read it.
  const HANDLE held = CreateFileW(PathOf(dir_ / "held.slc").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileAttributesW(PathOf(dir_ / "read-only.slc").c_str(), FILE_ATTRIBUTE_READONLY));
#endif
  for (const auto& c : kCases) {
    const CliResult r = Convert(c.output);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
  }
#ifdef _WIN32
  CloseHandle(held);
#endif
  EXPECT_EQ(ReadFile(dir_ / "held.slc"), "previous");
  EXPECT_EQ(ReadFile(dir_ / "read-only.slc"), "previous");
  EXPECT_EQ(ListDir(dir_.path()), "astorb.dat folder held.slc read-only.slc") << "no temporary file is left";
}

}  // namespace
}  // namespace orbivane
