// The catalog as the window drives it, on real files: the line reader, the
// record of one line in both layouts, Start and its refusals, the history
// file and list, and every file call failed in turn.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "astorb_record.h"
#include "catalog.h"
#include "filter_table.h"
#include "line_reader.h"
#include "number_text.h"
#include "os_file.h"
#include "source_count.h"
#include "test_files.h"

extern "C" void orbivane_fault_arm(const char* call, const char* path, long nth, int error, int partial);
extern "C" long orbivane_fault_seen();

namespace orbivane {
namespace {

namespace fs = std::filesystem;
using testing::FakeServices;
using testing::NumberedSource;
using testing::ReadFile;
using testing::WriteFile;

using Lines = std::vector<std::string>;

Lines SampleLines(const std::string& file) {
  Lines lines;
  std::istringstream in(testing::ReadFile(testing::SampleFile(file)));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Writes text into the line at a 1-based column.
std::string Put(std::string line, int column, const std::string& text) {
  return line.replace(column - 1, text.size(), text);
}

TEST(RecordTest, AppliesTheFieldAndLayoutRulesToTheByte) {
  const Lines current = SampleLines("astorb-current-sample.dat");
  const Lines older = SampleLines("astorb-old-sample.dat");
  const std::string ceres = older[0];
  // An unnumbered line of today's layout, of the older layout's length: only its epoch tells the layout.
  const std::string unnumbered = current[5].substr(0, 266);
  const std::string kCeres1996 = "    1 Ceres                      2450200.500  10.600303  80.659857  71.802404"
                                 "    2.76788714 0.07604100  80.477333  3.34";
  const std::string empty = " 1720994.458   0.000000   0.000000   0.000000    0.00000000 0.00000000   0.000000  0.00";
  const struct {
    const char* name;
    std::string line;
    std::size_t from;  // the record is compared from this position
    std::string expected;
  } kCases[] = {
      {"today's layout", current[0], 0, kCeres1996},
      {"the older layout", older[0], 0, kCeres1996},
      {"another older line", older[1], 0, "    1 Ceres                      2452100.500  10.583794  80.489708"
                                          "  73.973398    2.76716809 0.07879873 125.049915  3.34"},
      {"an unnumbered line", current[5], 0, "      1927 LA                    2461300.500  17.776448 191.009626"
                                            " 338.821813    3.30908436 0.34991985 153.934066 11.00"},
      {"number 0: six blanks", Put(ceres, 1, "    0"), 0, "      Ceres "},
      {"a name is 18 columns", Put(ceres, 7, "ABCDEFGHIJKLMNOPQRX"), 6, "ABCDEFGHIJKLMNOPQR        "},
      {"columns 7 and 8 blank: no name", Put(ceres, 7, "  Ceres"), 6, std::string(27, ' ')},
      {"one inner blank stays", Put(ceres, 7, "1927 LA           "), 6, "1927 LA                   "},
      {"a pair of blanks ends the name", Put(ceres, 7, "AB  CD            "), 6, "AB                        "},
      {"trailing white space goes", Put(ceres, 7, "A\tB\t  "), 6, "A\tB                       "},
      {"magnitude of one decimal", Put(ceres, 42, "13.4 "), 113, " 13.40"},
      {"text reads as 0", Put(ceres, 148, "abc      "), 44, "   0.000000"},
      {"a value too wide moves the rest right", Put(ceres, 169, "123456789.12"), 77,
       "123456789.12000000 0.07604100  80.477333  3.34"},
      {"a NUL byte ends the line", Put(ceres, 41, std::string(1, '\0')), 32, empty},
      {"columns past the end are blank", "   42 Isis", 0, "   42 Isis" + std::string(22, ' ') + empty},
      {"blank epoch: the invalid date", Put(ceres, 106, "        "), 32, " 1720994.458"},
      {"2000-02-29", Put(ceres, 106, "20000229"), 32, " 2451603.500"},
      {"1900-02-29", Put(ceres, 106, "19000229"), 32, " 1720994.458"},
      {"1582-10-15, the first Gregorian day", Put(ceres, 106, "15821015"), 32, " 2299160.500"},
      {"1582-10-14, taken as Julian", Put(ceres, 106, "15821014"), 32, " 2299169.500"},
      {"1582-10-04, the last Julian day", Put(ceres, 106, "15821004"), 32, " 2299159.500"},
      {"0100-01-01", Put(ceres, 106, "01000101"), 32, " 1757582.500"},
      {"0099-12-31", Put(ceres, 106, "00991231"), 32, " 1720994.458"},
      {"2001-04-31", Put(ceres, 106, "20010431"), 32, " 1720994.458"},
      {"2001-13-01", Put(ceres, 106, "20011301"), 32, " 1720994.458"},
      {"2001-01-00", Put(ceres, 106, "20010100"), 32, " 1720994.458"},
      {"eight epoch digits: today's layout", unnumbered, 6, "1927 LA  "},
      {"a line that ends after the epoch", unnumbered.substr(0, 114), 6, "1927 LA  "},
      {"seven epoch digits: the older layout", Put(unnumbered, 114, "X"), 6, " 1927 LA "},
      {"first epoch digit missing", Put(unnumbered, 107, "X"), 6, " 1927 LA "},
      {"column 106 not blank", Put(unnumbered, 106, "1"), 6, " 1927 LA "},
      {"column 115 not blank", Put(unnumbered, 115, "1"), 6, " 1927 LA "},
      {"an older line with today's epoch columns", Put(ceres, 106, " 19960427 "), 0, "    1 Ceres "},
  };
  for (const auto& c : kCases) {
    std::string got;
    AppendCatalogRecord(c.line, got);
    EXPECT_EQ(got.substr(std::min(c.from, got.size()), c.expected.size()), c.expected) << c.name << "\n  " << got;
  }
  // Numbers too long for any field read as the C library reads them.
  EXPECT_EQ(ParseLeadingInt(" 99999999999"), INT_MAX);
  EXPECT_EQ(ParseLeadingInt("-99999999999"), INT_MIN);
  EXPECT_EQ(ParseLeadingDouble(".5e1x"), 5.0);
}

// The filter's rules, one row each. The table is reused, as the window reuses it.
TEST(FilterTest, ParsesTheRangesOrRefusesTheText) {
  const auto ranges = [](int count) {  // "1-1,3-3,..." and the table it gives
    std::pair<std::string, std::string> text;
    for (int n = 1; n < 2 * count; n += 2) {
      text.first += std::to_string(n) + "-" + std::to_string(n) + ",";
      text.second += "[" + std::to_string(n) + "," + std::to_string(n) + "]";
    }
    return text;
  };
  const std::string invalid = "Filter string contains invalid simbols!";
  const std::string tooLarge = "Filter string contains a number greater than 2147483647!";
  const struct {
    std::string text, expected;  // the refusal's message, then the ranges
  } kCases[] = {
      {"1-1000, 1001, 1004-5000", "[1,1000][1001,1001][1004,5000]"},
      {"", "(empty)"},
      {"5", "[5,5]"},
      {"1-10, x", invalid},
      {"   ", ""},
      {"10-5", ""},
      {"5- ,-6", "[5,5][6,6]"},
      {"5 6", "[5,6]"},
      {"1-5-3", "[1,3]"},
      {"1,,2,", "[1,1][2,2]"},
      {"0", "[0,0]"},
      {"1\t", invalid},
      {"\xC3\xA9", invalid},
      {std::string("1\0" "2", 3), invalid},
      {"0000000000002147483647", "[2147483647,2147483647]"},
      {"2147483648", tooLarge},
      {std::string(40, '9'), tooLarge},
      {"1-5, 9999999999-1", tooLarge},
      {ranges(1000).first, ranges(1000).second},
      {ranges(1000).first + " 9-1, , --", ranges(1000).second},
      {ranges(1001).first, "Filter string contains more than 1000 ranges! Join some of them into one."},
  };
  FilterTable table;
  for (const auto& c : kCases) {
    const FilterVerdict verdict = table.ParseFilter(c.text);
    const char* message = FilterRefusalMessage(verdict);
    std::string got = verdict == FilterVerdict::kEmpty ? "(empty)" : message ? message : "";
    for (int i = 0; i < table.m_nRanges; ++i) {
      got += "[" + std::to_string(table.m_ranges[i].from) + "," + std::to_string(table.m_ranges[i].to) + "]";
    }
    EXPECT_EQ(got, c.expected) << c.text.substr(0, 50);
  }
  table.ParseFilter("1-10, 12");
  EXPECT_TRUE(table.IsSelected(10) && !table.IsSelected(11) && table.IsSelected(12) && !table.IsSelected(13));
}

// Lines as text-mode reading gives them, across the reader's 128 KiB buffer
// too, and the count of their line breaks.
TEST(LineReaderTest, SplitsLinesAsTextModeReadingDoes) {
  const std::size_t kBuffer = 128 * 1024;
  const auto filler = [](std::size_t bytes) { return std::string(bytes - 1, 'p') + "\n"; };
  const std::string p999(999, 'p');
  const std::string q600(600, 'q');
  const struct {
    const char* name;
    std::string bytes;
    Lines expected;
  } kCases[] = {
      {"LF and CR LF end lines", "a\nb\r\n\n", {"a", "b", ""}},
      {"only the CR before LF goes", "a\rb\r\r\n", {"a\rb\r"}},
      {"a last line without LF", "a\nb\r", {"a", "b\r"}},
      {"999 characters and CR", std::string(999, 'x') + "\r\n", {std::string(999, 'x')}},
      {"1000 characters are cut to 999", std::string(1000, 'a') + "\nb\n", {std::string(999, 'a'), "b"}},
      {"so is a last line of 1000", std::string(1000, 'a'), {std::string(999, 'a')}},
      {"a line from the buffer's last byte", filler(kBuffer - 1) + q600 + "\r\nlast", {p999, q600, "last"}},
      {"a line from the next buffer's first byte", filler(kBuffer) + q600 + "\r\nlast", {p999, q600, "last"}},
      {"a long line across the buffer's end", filler(kBuffer - 100) + std::string(5000, 'y') + "\nz",
       {p999, std::string(999, 'y'), "z"}},
      {"CR and LF on either side of it", std::string(kBuffer - 1, 'r') + "\r\nnext\n", {std::string(999, 'r'), "next"}},
  };
  const testing::ScratchDir dir;
  for (const auto& c : kCases) {
    testing::WriteFile(dir / "source", c.bytes);
    OsFile file;
    ASSERT_EQ(file.OpenForReading(dir / "source"), 0);
    LineReader reader(file);
    Lines got;
    for (std::string_view line; reader.Next(line);) got.emplace_back(line);
    EXPECT_EQ(got, c.expected) << c.name;
    std::int64_t count = -1;
    EXPECT_TRUE(CountLineBreaks(dir / "source", count).ok());
    EXPECT_EQ(count, std::count(c.bytes.begin(), c.bytes.end(), '\n')) << c.name;
  }
}

const LocalTime kMorning{2001, 12, 6, 1, 45, 9};
const std::string kNotRecorded = "The catalog was written, but the run could not be added to the history. ";

std::string Bytes(const HistoryRecord& record) { return std::string(reinterpret_cast<const char*>(&record), 500); }

class CatalogTest : public ::testing::Test {
 protected:
  StartOutcome Start(const std::string& filter, const std::string& source, const std::string& output) {
    services_.messages.clear();
    services_.positions.clear();
    catalog_.m_strFilter = filter;
    catalog_.m_strSourcePath = source;
    catalog_.m_strOutputPath = output;
    return catalog_.OnStart();
  }

  const testing::ScratchDir dir_;
  const std::string src_ = dir_ / "astorb.dat";
  const std::string out_ = dir_ / "out.slc";
  const std::string history_ = dir_ / "history";
  FakeServices services_;
  CCatalog catalog_{services_, dir_.path()};
};

// Line n of the source is entry n. Records come in line order, joined by CR LF,
// at most 30000; the bar goes from 0 to a tenth of the highest number, in 16 bits.
TEST_F(CatalogTest, WritesTheSelectedLinesInLineOrderUpToTheCap) {
  const struct {
    const char* filter;
    int lines;
    std::vector<std::pair<int, int>> spans;  // the lines of the records
    int upper, last;                         // the bar's range and last position
  } kCases[] = {
      {"1-10, 5-20", 250, {{1, 20}}, 2, 2},
      {"100-200, 1-5, 2-3", 250, {{1, 5}, {100, 200}}, 20, 20},
      {"248-260", 250, {{248, 250}}, 26, 25},
      {"7", 250, {{7, 7}}, 0, 0},
      {"0", 250, {}, 0, -1},
      {"1-3, 655360", 250, {{1, 3}}, 32768, 12},  // 65536 steps do not fit in 16 bits: each step is two
      {"1-30000", 30001, {{1, 30000}}, 3000, 3000},
      {"2-40000", 30001, {{2, 30001}}, 4000, 3000},
  };
  for (const auto& c : kCases) {
    const std::string source = NumberedSource(c.lines);
    WriteFile(src_, source);
    const StartOutcome outcome = Start(c.filter, src_, out_);
    std::string expected;
    int count = 0;
    for (const auto& [from, to] : c.spans) {
      for (int n = from; n <= to; ++n, ++count) {
        if (count > 0) expected += "\r\n";
        AppendCatalogRecord(source.substr((n - 1) * 268, 267), expected);
      }
    }
    EXPECT_EQ(ReadFile(out_), expected) << c.filter;
    EXPECT_EQ(outcome.records, count) << c.filter;
    const std::string cap = "Asteroid catalogs can't contains more than 30000 asteroids!";
    EXPECT_EQ(services_.messages, std::vector<std::string>(count == 30000, cap)) << c.filter;
    EXPECT_EQ(services_.rows.front(), (FakeServices::Row{"12/6/2001 01:45:09", out_, c.filter, std::to_string(count)}));
    EXPECT_EQ(testing::ListDir(dir_.path()), "astorb.dat history out.slc") << c.filter;
    std::vector<int> positions(c.last + 1);
    std::iota(positions.begin(), positions.end(), 0);
    EXPECT_EQ(services_.upper, c.upper) << c.filter;
    EXPECT_EQ(services_.positions, positions) << c.filter;
  }
}

TEST_F(CatalogTest, RefusesBeforeARunAndTouchesNothing) {
  WriteFile(src_, NumberedSource(3));
  WriteFile(out_, "previous");
  fs::create_directory(dir_ / "sub");
  fs::create_symlink(history_, dir_ / "link.slc");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  const std::string history = "\" is the history file; choose another name for the new catalog.";
  const struct {
    const char* name;
    std::string filter, source, output;
    bool history;  // a history file exists
    StartResult result;
    std::string message;
  } kCases[] = {
      {"empty filter", "", src_, out_, false, StartResult::kEmptyFilter, ""},
      {"refused filter", "1-3; 5", src_, out_, false, StartResult::kFilterRefused,
       "Filter string contains invalid simbols!"},
      {"no range", "10-5, ,", src_, out_, false, StartResult::kNoRange, ""},
      {"no source", "1", "", out_, false, StartResult::kNoSource, ""},
      {"no output", "1", src_, "", false, StartResult::kNoOutput, ""},
      {"the source itself", "1", src_, src_, false, StartResult::kRunRefused,
       "The catalog file \"" + src_ + "\" is the source catalog itself; choose another name for the new catalog."},
      {"the history", "1", src_, history_, true, StartResult::kRunRefused,
       "The catalog file \"" + history_ + history},
      {"a link to the history", "1", src_, dir_ / "link.slc", true, StartResult::kRunRefused,
       "The catalog file \"" + (dir_ / "link.slc") + history},
      {"the history before its first run", "1", src_, dir_ / "sub/../history", false, StartResult::kRunRefused,
       "The catalog file \"" + (dir_ / "sub/../history") + history},
      {"a FIFO without reader", "1", src_, dir_ / "fifo", false, StartResult::kRunRefused,
       "Cannot create catalog file \"" + (dir_ / "fifo") + "\": No such device or address"},
      {"a full device", "1", src_, "/dev/full", false, StartResult::kRunRefused,
       "Cannot write catalog file \"/dev/full\": No space left on device"},
  };
  for (const auto& c : kCases) {
    fs::remove(history_);
    if (c.history) WriteFile(history_, "h");
    EXPECT_EQ(Start(c.filter, c.source, c.output).result, c.result) << c.name;
    EXPECT_EQ(services_.messages, std::vector<std::string>(!c.message.empty(), c.message)) << c.name;
    EXPECT_EQ(ReadFile(out_) + ReadFile(src_), "previous" + NumberedSource(3)) << c.name;
    EXPECT_EQ(ReadFile(history_), c.history ? "h" : "") << c.name;
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
  EXPECT_TRUE(fs::is_character_file("/dev/full")) << "a device is written in place, never replaced";
}

TEST_F(CatalogTest, ReplacesTheFileALinkPointsToAndKeepsItsPermissions) {
  fs::create_directory(dir_ / "real");
  WriteFile(dir_ / "real/catalog.slc", std::string(500, 'o'));
  fs::permissions(dir_ / "real/catalog.slc", fs::perms(0640));
  fs::create_symlink(dir_ / "real/catalog.slc", out_);
  WriteFile(src_, NumberedSource(2));
  EXPECT_EQ(Start("1", src_, out_).result, StartResult::kConverted);
  EXPECT_TRUE(fs::is_symlink(out_));
  EXPECT_EQ(ReadFile(dir_ / "real/catalog.slc").size(), 119u);
  EXPECT_EQ(fs::status(dir_ / "real/catalog.slc").permissions(), fs::perms(0640));
  EXPECT_EQ(testing::ListDir(dir_ / "real"), "catalog.slc");
}

// An append interrupted at any byte: the list shows the whole records, the
// next append cuts the stray bytes and lands aligned. Clear deletes the file.
TEST_F(CatalogTest, AHistoryCutAtAnyByteKeepsItsWholeRecords) {
  std::string whole;
  for (const char* filter : {"1", "2", "3"}) whole += Bytes(MakeHistoryRecord(kMorning, "/c.slc", filter, 1));
  const HistoryRecord next = MakeHistoryRecord(kMorning, "/c.slc", "9", 9);
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    WriteFile(history_, whole.substr(0, cut));
    ASSERT_TRUE(catalog_.LoadHistory().ok());
    ASSERT_EQ(services_.rows.size(), cut / 500) << cut;
    ASSERT_TRUE(catalog_.AppendHistory(next).ok());
    ASSERT_EQ(ReadFile(history_), whole.substr(0, cut / 500 * 500) + Bytes(next)) << cut;
  }
  catalog_.OnClearHistory();
  EXPECT_TRUE(services_.rows.empty());
  EXPECT_FALSE(testing::FileExists(history_));
}

enum Operation { kStart, kLoad, kClear, kCount };

// Each row fails the nth call of one kind on one file, for n = 1, 2, ...
// until the operation no longer reaches it.
const struct FaultCase {
  const char* call;
  const char* file;  // "cat" is the output's folder, so that its temporary file is matched too
  int error;
  bool partial;  // half of the write is stored, the next write fails
  Operation operation;
  const char* failed;  // what the message says could not be done
} kFaults[] = {
    {"open", "cat", EACCES, false, kStart, "create catalog file"},
    {"write", "cat", ENOSPC, false, kStart, "write catalog file"},
    {"write", "cat", ENOSPC, true, kStart, "write catalog file"},
    {"fsync", "cat", EIO, false, kStart, "write catalog file"},
    {"close", "cat", EDQUOT, false, kStart, "write catalog file"},
    {"rename", "cat", EXDEV, false, kStart, "write catalog file"},
    {"open", "astorb.dat", EACCES, false, kStart, "open source catalog"},
    {"read", "astorb.dat", EIO, false, kStart, "read source catalog"},
    {"open", "history", EACCES, false, kStart, "write history file"},
    {"ftruncate", "history", EIO, false, kStart, "write history file"},
    {"lseek", "history", EIO, false, kStart, "write history file"},
    {"write", "history", ENOSPC, false, kStart, "write history file"},
    {"write", "history", ENOSPC, true, kStart, "write history file"},
    {"close", "history", EIO, false, kStart, "write history file"},
    {"open", "history", EACCES, false, kLoad, "read history file"},
    {"read", "history", EIO, false, kLoad, "read history file"},
    {"unlink", "history", EBUSY, false, kClear, "delete history file"},
    {"read", "astorb.dat", EIO, false, kCount, "read source catalog"},
};

// Every failure names the file and the system's reason, and leaves the
// previous catalog, the history file and the list as they were.
TEST(FaultTest, EveryFailedFileCallIsReportedAndChangesNothing) {
  const testing::ScratchDir dir;
  fs::create_directory(dir / "cat");
  WriteFile(dir / "astorb.dat", NumberedSource(2500));  // several reads of the source, several writes of the catalog
  const std::string previous = "the previous catalog\r\n";
  const std::string records = Bytes(MakeHistoryRecord(kMorning, "/old.slc", "1-2", 2)) + std::string(500, 0);
  const std::string history = records + "stray";  // left by an interrupted append: each append cuts it first
  std::string complete;  // set by the catalog's rows before the history's
  for (const FaultCase& c : kFaults) {
    const std::string named = dir / (c.file == std::string("cat") ? "cat/out.slc" : c.file);
    const std::string match = "/" + std::string(c.file);
    long n = 0;
    for (;;) {
      SCOPED_TRACE(std::string(c.call) + " number " + std::to_string(++n) + " on " + c.file);
      WriteFile(dir / "cat/out.slc", previous);
      WriteFile(dir / "history", history);
      FakeServices services;
      CCatalog catalog(services, dir.path());
      catalog.m_strSourcePath = dir / "astorb.dat";
      catalog.m_strOutputPath = dir / "cat/out.slc";
      catalog.m_strFilter = "1-2500";
      ASSERT_TRUE(catalog.LoadHistory().ok());
      const std::vector<FakeServices::Row> rows = services.rows;
      orbivane_fault_arm(c.call, match.c_str(), n, c.error, c.partial);
      StartResult result = StartResult::kConverted;
      Status status = Status::Ok();
      if (c.operation == kStart) result = catalog.OnStart().result;
      if (c.operation == kLoad) status = catalog.LoadHistory();
      if (c.operation == kClear) catalog.OnClearHistory();
      if (c.operation == kCount) status = catalog.CountSourceRecords();
      const bool reached = orbivane_fault_seen() >= n;
      orbivane_fault_arm("", "", 0, 0, false);
      if (!status) services.MessageBox(status.message());
      EXPECT_EQ(testing::ListDir(dir / "cat"), "out.slc") << "no temporary file is left";
      if (!reached) {  // past its last call the operation succeeds
        EXPECT_EQ(services.messages, std::vector<std::string>{});
        if (c.operation == kStart) complete = ReadFile(dir / "cat/out.slc");
        break;
      }
      const bool recordOnly = c.operation == kStart && c.file == std::string("history");
      const std::string reason = "Cannot " + std::string(c.failed) + " \"" + named + "\": " + SystemReason(c.error);
      EXPECT_EQ(services.messages, std::vector<std::string>{(recordOnly ? kNotRecorded : "") + reason});
      EXPECT_EQ(result, c.operation != kStart ? StartResult::kConverted
                        : recordOnly          ? StartResult::kNotRecorded
                                              : StartResult::kRunRefused);
      EXPECT_EQ(ReadFile(dir / "cat/out.slc"), recordOnly ? complete : previous);
      const std::string after = ReadFile(dir / "history");
      EXPECT_TRUE(after == history || after == records) << "no record, whole or in part: " << after.size();
      EXPECT_TRUE(c.operation == kLoad || services.rows == rows) << "the list shows what the file holds";
      EXPECT_EQ(catalog.m_nTotal, 0) << "a failed count shows 0";
    }
    EXPECT_GT(n, 1) << c.call << " on " << c.file << " was never reached";
  }
}

}  // namespace
}  // namespace orbivane
