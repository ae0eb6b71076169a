#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "catalog.h"
#include "fake_services.h"
#include "history_file.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FakeServices;
using testing::MakeDir;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

const LocalTime kMorning{2001, 12, 6, 1, 45, 9};

std::string Bytes(const HistoryRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// The slot as stored: its text, then zeros to its end.
std::string Slot(const std::string& text, std::size_t size) { return text + std::string(size - text.size(), '\0'); }

TEST(HistoryRecordTest, LaysOutTheFourSlotsToTheByte) {
  const HistoryRecord record = MakeHistoryRecord(kMorning, "/home/ann/0612_0145.slc", "1-10, 5", 30000);
  EXPECT_EQ(Bytes(record), Slot("12/6/2001 01:45:09", 30) + Slot("/home/ann/0612_0145.slc", 150) +
                               Slot("1-10, 5", 300) + Slot("30000", 20));
}

TEST(HistoryRecordTest, FitsLongTextsInsideTheirSlots) {
  const std::string path149 = "/" + std::string(143, 'd') + "/a.sl";  // 149 characters
  const std::string path150 = "x" + path149;
  const std::string filter299(299, '1');
  const std::string filter300 = filter299 + "2";
  const struct {
    const char* name;
    std::string path;
    std::string filter;
    std::string storedPath;
    std::string storedFilter;
  } kCases[] = {
      {"149 and 299 characters fit whole", path149, filter299, path149, filter299},
      {"a longer path keeps its end", path150, filter300, path150.substr(1), filter299},
      {"a very long path keeps its file name", std::string(4000, 'z') + "/catalog.slc", "1",
       std::string(137, 'z') + "/catalog.slc", "1"},
      // Cutting never starts inside a UTF-8 character: the two bytes of "é" go together.
      {"a cut skips a split character", "\xC3\xA9" + std::string(148, 'a'), "1", std::string(148, 'a'), "1"},
  };
  for (const auto& c : kCases) {
    const HistoryRecord record = MakeHistoryRecord(kMorning, c.path, c.filter, 1);
    EXPECT_EQ(record.szCatalogFile[149], '\0') << c.name;
    EXPECT_EQ(record.szFilter[299], '\0') << c.name;
    EXPECT_EQ(SlotText(record.szCatalogFile), c.storedPath) << c.name;
    EXPECT_EQ(SlotText(record.szFilter), c.storedFilter) << c.name;
    EXPECT_EQ(SlotText(record.szNumber), "1");
  }
}

TEST(HistoryRecordTest, ReadsASlotWithoutNulUpToItsEnd) {
  HistoryRecord record;
  std::memset(&record, 'x', sizeof record);
  EXPECT_EQ(SlotText(record.szDateTime), std::string(30, 'x'));
  EXPECT_EQ(SlotText(record.szNumber), std::string(20, 'x'));
}

TEST(HistoryPathTest, JoinsTheWorkingDirectoryWithHistory) {
#ifdef _WIN32
  EXPECT_EQ(HistoryPath("C:\\Users\\ann"), "C:\\Users\\ann\\history");
  EXPECT_EQ(HistoryPath("C:\\Users\\ann\\"), "C:\\Users\\ann\\history");
  EXPECT_EQ(HistoryPath("C:/"), "C:/history");
#else
  EXPECT_EQ(HistoryPath("/home/ann"), "/home/ann/history");
  EXPECT_EQ(HistoryPath("/home/ann/"), "/home/ann/history");
  EXPECT_EQ(HistoryPath("/"), "/history");
#endif
}

class HistoryListTest : public ::testing::Test {
 protected:
  HistoryRecord Run(const std::string& filter, int number) {
    return MakeHistoryRecord(kMorning, "/c/" + filter + ".slc", filter, number);
  }
  std::string Column(std::size_t column) const {
    std::string text;
    for (const auto& row : services_.rows) text += (text.empty() ? "" : "|") + row[column];
    return text;
  }

  ScratchDir dir_;
  FakeServices services_;
  CCatalog catalog_{services_, dir_.path()};
};

TEST_F(HistoryListTest, ShowsTheNewestRunOnTopAfterARestartToo) {
  ASSERT_TRUE(catalog_.AppendHistory(Run("1-10", 10)).ok());
  ASSERT_TRUE(catalog_.AppendHistory(Run("5", 1)).ok());
  ASSERT_TRUE(catalog_.AppendHistory(Run("7-9", 3)).ok());
  EXPECT_EQ(Column(2), "7-9|5|1-10");

  FakeServices restarted;
  CCatalog again(restarted, dir_.path());
  ASSERT_TRUE(again.LoadHistory().ok());
  ASSERT_EQ(restarted.rows.size(), 3u);
  EXPECT_EQ(restarted.rows[0], (FakeServices::Row{"12/6/2001 01:45:09", "/c/7-9.slc", "7-9", "3"}));
  EXPECT_EQ(restarted.rows[2][2], "1-10");
  EXPECT_EQ(ReadFile(dir_ / "history").size(), 1500u);
}

TEST_F(HistoryListTest, LoadsWholeRecordsOnly) {
  WriteFile(dir_ / "history", "");
  EXPECT_TRUE(catalog_.LoadHistory().ok());
  EXPECT_TRUE(services_.rows.empty());

  WriteFile(dir_ / "history", Bytes(Run("1", 1)) + Bytes(Run("2", 2)) + std::string(250, 'j'));
  EXPECT_TRUE(catalog_.LoadHistory().ok());
  EXPECT_EQ(Column(2), "2|1");
}

TEST_F(HistoryListTest, RealignsAFileCutByAnInterruptedWrite) {
  const std::string whole = Bytes(Run("1", 1)) + Bytes(Run("2", 2));
  WriteFile(dir_ / "history", whole + Bytes(Run("3", 3)).substr(0, 123));
  ASSERT_TRUE(catalog_.AppendHistory(Run("4", 4)).ok());
  EXPECT_EQ(ReadFile(dir_ / "history"), whole + Bytes(Run("4", 4)));
  ASSERT_TRUE(catalog_.LoadHistory().ok());
  EXPECT_EQ(Column(2), "4|2|1");
}

TEST_F(HistoryListTest, ClearDeletesTheFileAndEmptiesTheList) {
  catalog_.OnClearHistory();  // no file: empties the list, says nothing
  EXPECT_TRUE(services_.messages.empty());
  ASSERT_TRUE(catalog_.AppendHistory(Run("1", 1)).ok());
  catalog_.OnClearHistory();
  EXPECT_TRUE(services_.rows.empty());
  EXPECT_FALSE(testing::FileExists(dir_ / "history"));
  ASSERT_TRUE(catalog_.AppendHistory(Run("2", 2)).ok());
  EXPECT_EQ(ReadFile(dir_ / "history").size(), 500u);
}

TEST_F(HistoryListTest, ReportsFileErrorsWithTheirReason) {
  MakeDir(dir_ / "history");  // a folder where the file belongs
  const std::string path = dir_ / "history";
  Status loaded = catalog_.LoadHistory();
  EXPECT_EQ(loaded.message(), "Cannot read history file \"" + path + "\": Is a directory");
  Status appended = catalog_.AppendHistory(Run("1", 1));
  EXPECT_EQ(appended.message(), "Cannot write history file \"" + path + "\": Is a directory");
  EXPECT_TRUE(services_.rows.empty()) << "no row without a stored record";
  catalog_.OnClearHistory();
  ASSERT_EQ(services_.messages.size(), 1u);
  EXPECT_EQ(services_.messages[0].rfind("Cannot delete history file \"" + path + "\": ", 0), 0u)
      << services_.messages[0];
}

}  // namespace
}  // namespace orbivane
