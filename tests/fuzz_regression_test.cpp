// Faults the fuzz targets found, each kept as a plain test. The inputs that
// found them are in fuzz/regressions and are replayed by fuzz/run.sh too.
#include <gtest/gtest.h>

#include <string>

#include "history_file.h"

namespace orbivane {
namespace {

const LocalTime kMorning{2001, 12, 6, 1, 45, 9};

TEST(FuzzRegressionTest, ALongPathOfStrayUtf8BytesKeepsItsEnd) {
  // Bytes 0x80-0xBF continue a UTF-8 character, but a character has at most
  // three of them. The cut used to skip every one of them and so could leave
  // a slot empty; a file name in another encoding can hold such a run.
  const struct {
    const char* name;
    std::string path;
    std::string stored;
  } kCases[] = {
      {"a run of 160 such bytes", std::string(160, '\x9A'), std::string(146, '\x9A')},
      {"a split character is still skipped", "a\xE2\x82\xAC" + std::string(147, 'b'), std::string(147, 'b')},
  };
  for (const auto& c : kCases) {
    const HistoryRecord record = MakeHistoryRecord(kMorning, c.path, "1", 1);
    EXPECT_EQ(SlotText(record.szCatalogFile), c.stored) << c.name;
    EXPECT_EQ(record.szCatalogFile[149], '\0') << c.name;
  }
}

}  // namespace
}  // namespace orbivane
