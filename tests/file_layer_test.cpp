// The file layer as users meet it through orbivane-cli, on every system: a
// second run onto the same catalog, names in any script, and the system's
// own reason for a refusal, the previous catalog kept whole.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "os_file.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace orbivane::testing {
namespace {

class FileLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(dir_ / "astorb.dat", NumberedSource(3)); }
  CliResult Convert(const std::string& output, const std::string& source = "astorb.dat") {
    return RunCli({"convert", "--source", source, "--output", output, "--filter", "1-3"}, dir_.path());
  }

  ScratchDir dir_;
};

TEST_F(FileLayerTest, SecondRunReplacesTheCatalogOfTheFirst) {
  ASSERT_EQ(Convert("out.slc").status, 0);
  WriteFile(dir_ / "out.slc", "previous");
  EXPECT_EQ(Convert("out.slc").err, "");
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 3 * 119 + 2 * 2u);
}

TEST_F(FileLayerTest, TakesNamesInAnyScript) {
  const std::string folder = dir_ / "Кометы ☄ Müll";
  const std::string output = folder + ScratchDir::kSeparator + "Ĉatalog ✓.slc";
  MakeDir(folder);
  WriteFile(folder + ScratchDir::kSeparator + "astorb ä.dat", NumberedSource(3));
  EXPECT_EQ(Convert(output, folder + ScratchDir::kSeparator + "astorb ä.dat").out,
            "Wrote 3 asteroid records to " + output + "\n");
  EXPECT_EQ(ListDir(folder), "astorb ä.dat Ĉatalog ✓.slc");
}

TEST_F(FileLayerTest, RefusalsGiveTheSystemsReasonAndKeepThePreviousCatalog) {
  MakeDir(dir_ / "folder");
  WriteFile(dir_ / "held.slc", "previous");
  WriteFile(dir_ / "read-only.slc", "previous");
  const struct {
    std::string output;
    const char* action;
    std::string reason;
  } kCases[] = {
      {"folder", "create", "Is a directory"},
#ifdef _WIN32
      {"held.slc", "write", SystemReason(-ERROR_SHARING_VIOLATION)},
      {"read-only.slc", "write", "Permission denied"},
#endif
  };
#ifdef _WIN32
  // As a planetarium program holds a catalog it has loaded: others may read it.
  const HANDLE held = CreateFileW(PathOf(dir_ / "held.slc").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(SetFileAttributesW(PathOf(dir_ / "read-only.slc").c_str(), FILE_ATTRIBUTE_READONLY));
#endif
  for (const auto& c : kCases) {
    const CliResult r = Convert(c.output);
    EXPECT_EQ(r.status, 1) << c.output;
    const std::string file = " catalog file \"" + (dir_ / c.output) + "\": ";
    EXPECT_EQ(r.err, "Cannot " + (c.action + file) + c.reason + "\n") << c.output;
  }
#ifdef _WIN32
  CloseHandle(held);
#endif
  EXPECT_EQ(ReadFile(dir_ / "held.slc") + ReadFile(dir_ / "read-only.slc"), "previousprevious");
  EXPECT_EQ(ListDir(dir_.path()), "astorb.dat folder held.slc read-only.slc") << "no temporary file is left";
}

}  // namespace
}  // namespace orbivane::testing
