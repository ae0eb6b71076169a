// The catalog as the window drives it, on real files: the line reader, a line's record, the filter, Start,
// the history file and every file call failed in turn; then orbivane-cli as a user runs it.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <numeric>
#include <random>
#include <set>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "astorb_record.h"
#include "catalog.h"
#include "catalog_writer.h"
#include "console_services.h"
#include "gzip_text.h"
#include "history_file.h"
#include "line_reader.h"
#include "number_text.h"
#include "readable_text.h"
#include "run_program.h"
#include "entry_count.h"
#include "source_stream.h"
#include "test_files.h"

#ifndef _WIN32
// The fault shim: this program's own file calls, made with raw system calls. Armed, the nth call (from 1) of
// one kind on a file whose path holds a given text fails with a given error; a partial write stores half of its
// bytes and the next write fails, as on a disk that fills up. A failed close still closes, as POSIX leaves it.
struct Fault {
  const char *call, *path;
  long nth, seen;
  int error;
  bool partial, failNext;
} g_fault;

// 0: carry the call out; 1: fail it; 2: carry out half of a write.
static int Decide(const char* call, const char* path) {
  if (g_fault.nth == 0 || std::strcmp(call, g_fault.call) != 0 || !std::strstr(path, g_fault.path)) return 0;
  if (++g_fault.seen == g_fault.nth) return g_fault.partial ? 2 : 1;
  return std::exchange(g_fault.failNext, false);
}

static int DecideFd(const char* call, int fd) {
  char link[32];
  char path[4200] = "";
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (g_fault.nth != 0) syscall(SYS_readlinkat, AT_FDCWD, link, path, sizeof path - 1);
  return Decide(call, path);
}

#define FAILED (errno = g_fault.error, -1)

extern "C" {
int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, int) : 0;
  va_end(args);
  // Armed, the shim stands in for a file system without unnamed files, so that a catalog's temporary file has a
  // name from the start and every call on it can be matched.
  if (g_fault.nth != 0 && (flags & O_TMPFILE) == O_TMPFILE) return errno = EOPNOTSUPP, -1;
  return Decide("open", path) ? FAILED : (int)syscall(SYS_openat, AT_FDCWD, path, flags, mode);
}
ssize_t read(int fd, void* to, size_t n) { return DecideFd("read", fd) ? FAILED : syscall(SYS_read, fd, to, n); }
ssize_t write(int fd, const void* data, size_t size) {
  const int verdict = DecideFd("write", fd);
  if (verdict == 1 || (verdict == 2 && size < 2)) return FAILED;
  g_fault.failNext = verdict == 2;
  return syscall(SYS_write, fd, data, verdict == 2 ? size / 2 : size);
}
int fsync(int fd) { return DecideFd("fsync", fd) ? FAILED : (int)syscall(SYS_fsync, fd); }
int close(int fd) {
  const int verdict = DecideFd("close", fd);
  const long result = syscall(SYS_close, fd);
  return verdict ? FAILED : (int)result;
}
int rename(const char* from, const char* to) noexcept {
  return Decide("rename", to) ? FAILED : (int)syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to);
}
int unlink(const char* p) noexcept { return Decide("unlink", p) ? FAILED : (int)syscall(SYS_unlinkat, AT_FDCWD, p, 0); }
off_t lseek(int fd, off_t at, int w) noexcept { return DecideFd("lseek", fd) ? FAILED : syscall(SYS_lseek, fd, at, w); }
int ftruncate(int f, off_t n) noexcept { return DecideFd("ftruncate", f) ? FAILED : (int)syscall(SYS_ftruncate, f, n); }
}
#endif

namespace orbivane {

namespace fs = std::filesystem;
using testing::FakeServices;
using testing::Gzip;
using testing::NumberedSource;
using testing::ReadFile;
using testing::WriteFile;

// Writes text into the line at a 1-based column.
std::string Put(std::string line, int column, const std::string& s) { return line.replace(column - 1, s.size(), s); }

TEST(RecordTest, AppliesTheFieldAndLayoutRulesToTheByte) {
  const std::string current = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  const std::string ceres = ReadFile(testing::SampleFile("astorb-old-sample.dat")).substr(0, 266);
  // An unnumbered line of today's layout, of the older layout's length: only its epoch tells the layout.
  const std::string unnumbered = current.substr(5 * 268, 266);
  const std::string ceres1996 = "    1 Ceres                      2450200.500  10.600303  80.659857  71.802404"
                                "    2.76788714 0.07604100  80.477333  3.34";
  // The record is compared from the row's position on.
  const struct { const char* name; std::string line; std::size_t from; std::string expected; } kCases[] = {
      {"today's layout", current.substr(0, 267), 0, ceres1996},
      {"the older layout", ceres, 0, ceres1996},
      {"an unnumbered line", current.substr(5 * 268, 267), 0, "      1927 LA                    2461300.500"
                                                              "  17.776448 191.009626 338.821813    3.30908436"},
      {"a name is 18 columns", Put(ceres, 7, "ABCDEFGHIJKLMNOPQRX"), 6, "ABCDEFGHIJKLMNOPQR        "},
      {"one inner blank stays", Put(ceres, 7, "1927 LA           "), 6, "1927 LA                   "},
      {"a pair of blanks ends the name", Put(ceres, 7, "AB  CD            "), 6, "AB                        "},
      {"trailing white space goes", Put(ceres, 7, "A\tB\t  "), 6, "A\tB                       "},
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
      {"eight epoch digits: today's layout", unnumbered, 6, "1927 LA  "},
      {"a line that ends after the epoch", unnumbered.substr(0, 114), 6, "1927 LA  "},
      {"seven epoch digits: the older layout", Put(unnumbered, 114, "X"), 6, " 1927 LA "},
      {"first epoch digit missing", Put(unnumbered, 107, "X"), 6, " 1927 LA "},
      {"column 106 not blank", Put(unnumbered, 106, "1"), 6, " 1927 LA "},
      {"column 115 not blank", Put(unnumbered, 115, "1"), 6, " 1927 LA "},
      {"an older line with today's epoch columns", Put(ceres, 106, " 19960427 "), 0, "    1 Ceres "},
      {"the older layout, every field at its whole width", Put(Put(Put(Put(ceres, 1, "12345 ABCDEFGHIJKLMNOPQR"),
       42, "13.45"), 106, "20000229"), 115, "359.123456 218.234567 337.345678 170.45678 0.98765432 123.45678901"), 0,
       "12345 ABCDEFGHIJKLMNOPQR         2451603.500 170.456780 337.345678 218.234567  123.45678901 0.98765432"
       " 359.123456 13.45"},
      {"today's layout, every field at its whole width: six digits give 120 characters", Put(Put(Put(Put(
       current.substr(0, 267), 1, "123456 ABCDEFGHIJKLMNOPQR"), 43, "13.45"), 107, "20000229"), 116,
       "359.123456 218.234567 337.345678170.456789 0.987654321234.56789012"), 0,
       "123456 ABCDEFGHIJKLMNOPQR         2451603.500 170.456789 337.345678 218.234567 1234.56789012 0.98765432"
       " 359.123456 13.45"},
  };
  for (const auto& c : kCases) {
    std::string got;
    AppendCatalogRecord(c.line, got);
    EXPECT_EQ(got.substr(std::min(c.from, got.size()), c.expected.size()), c.expected) << c.name << "\n  " << got;
  }
  // Where the number ends decides the layout; only a line without a number goes by its epoch, then its length.
  const std::string big = "123456" + current.substr(6, 261);
  const std::string unnumberedOlder = Put(ceres, 1, "     ") + " ";
  const struct { const char* name; std::string line; const AstorbColumns* columns; } kLayouts[] = {
      {"six digits, damaged epoch", Put(big, 110, "X"), &kCurrentColumns},
      {"six digits, ends before column 115", big.substr(0, 110), &kCurrentColumns},
      {"five digits, damaged epoch, 267 characters", Put(ceres, 109, "X") + " ", &kOlderColumns},
      {"no number, older epoch, 267 characters", unnumberedOlder, &kOlderColumns},
      {"no number or epoch, 267 characters", Put(unnumbered + " ", 110, "X"), &kCurrentColumns},
      {"no number or epoch, 266 characters", Put(unnumbered, 110, "X"), &kOlderColumns},
  };
  for (const auto& c : kLayouts) EXPECT_EQ(&ColumnsOf(c.line), c.columns) << c.name;
  // Numbers too long for any field read as the C library reads them.
  EXPECT_EQ(ParseLeadingInt(" 99999999999"), INT_MAX);
  EXPECT_EQ(ParseLeadingInt("-99999999999"), INT_MIN);
  EXPECT_EQ(ParseLeadingDouble(".5e1x"), 5.0);
}

// The filter's rules, one row each. The table is reused, as the window reuses it.
TEST(FilterTest, ParsesTheRangesOrRefusesTheText) {
  std::string thousand, listed;  // 1000 ranges, and the table they give
  for (int n = 1; n <= 1000; ++n) {
    thousand += std::to_string(n) + "-" + std::to_string(n) + ",";
    listed += "[" + std::to_string(n) + "," + std::to_string(n) + "]";
  }
  const std::string invalid = "Filter string contains invalid simbols!";
  const std::string tooLarge = "Filter string contains a number greater than 2147483647!";
  // The expected text is the refusal's message, then the ranges.
  const struct { std::string text, expected; } kCases[] = {
      {"1-1000, 1001, 1004-5000", "[1,1000][1001,1001][1004,5000]"},
      {"", "(empty)"},
      {"5- ,-6", "[5,5][6,6]"},
      {"1-10, x", invalid},
      {"   ", ""},
      {"10-5", ""},
      {"5 6", "[5,6]"},
      {"1-5-3", "[1,3]"},
      {"1,,2,", "[1,1][2,2]"},
      {"0", "[0,0]"},
      {"\xC3\xA9", invalid},
      {std::string("1\0" "2", 3), invalid},
      {"0000000000002147483647", "[2147483647,2147483647]"},
      {"2147483648", tooLarge},
      {std::string(40, '9'), tooLarge},
      {"1-5, 9999999999-1", tooLarge},
      {thousand, listed},
      {thousand + " 9-1, , --", listed},
      {thousand + "1001", "Filter string contains more than 1000 ranges! Join some of them into one."},
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
  const struct { const char* name; std::string bytes; std::vector<std::string> expected; } kCases[] = {
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
    WriteFile(dir / "source", c.bytes);
    OsFile file;
    ASSERT_EQ(file.OpenForReading(dir / "source"), 0);
    LineReader reader(file);
    std::vector<std::string> got;
    for (std::string_view line; reader.Next(line);) got.emplace_back(line);
    EXPECT_EQ(got, c.expected) << c.name;
    std::int64_t count = -1;
    EXPECT_TRUE(CountEntries(dir / "source", count).ok());
    EXPECT_EQ(count, std::count(c.bytes.begin(), c.bytes.end(), '\n')) << c.name;
  }
}

const LocalTime kMorning{2001, 12, 6, 1, 45, 9};

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
  // The lines of the records, and the bar's range and last position.
  const struct { const char* filter; int lines; std::vector<std::pair<int, int>> spans; int upper, last; } kCases[] = {
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
    Start(c.filter, src_, out_);
    std::string expected;
    int count = 0;
    for (const auto& [from, to] : c.spans) {
      for (int n = from; n <= to; ++n, ++count) {
        if (count > 0) expected += "\r\n";
        AppendCatalogRecord(source.substr((n - 1) * 268, 267), expected);
      }
    }
    EXPECT_EQ(ReadFile(out_), expected) << c.filter;
    const std::string cap = "Asteroid catalogs can't contains more than 30000 asteroids!";
    EXPECT_EQ(services_.messages, std::vector<std::string>(count == 30000, cap)) << c.filter;
    EXPECT_EQ(services_.rows.front(), (FakeServices::Row{"12/6/2001 01:45:09", out_, c.filter, std::to_string(count)}));
    std::vector<int> positions(c.last + 1);
    std::iota(positions.begin(), positions.end(), 0);
    EXPECT_EQ(services_.upper, c.upper) << c.filter;
    EXPECT_EQ(services_.positions, positions) << c.filter;
  }
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

#ifndef _WIN32
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
  fs::create_symlink("real/new.slc", dir_ / "dangling.slc");  // a missing file is created through the link
  EXPECT_EQ(Start("1", src_, dir_ / "dangling.slc").result, StartResult::kConverted);
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.slc"));
  EXPECT_EQ(testing::ListDir(dir_ / "real"), "catalog.slc new.slc");
}

// A catalog that its owner made read-only is refused as Windows refuses a read-only one, with the same message,
// and kept whole, also behind a link; one made read-only while the run works is refused when it would be replaced.
TEST_F(CatalogTest, ACatalogItsOwnerMayNotWriteIsKeptWhole) {
  WriteFile(src_, NumberedSource(2));
  fs::create_symlink(out_, dir_ / "link.slc");
  for (const std::string& named : {out_, dir_ / "link.slc"}) {
    WriteFile(out_, "previous");
    fs::permissions(out_, fs::perms(0444));
    services_.messages.clear();
    EXPECT_EQ(Start("1", src_, named).result, StartResult::kRunRefused);
    EXPECT_EQ(services_.messages, std::vector<std::string>{"Cannot write catalog file \"" + named +
                                                           "\": Permission denied"});
    EXPECT_EQ(ReadFile(out_), "previous");
    fs::permissions(out_, fs::perms(0644));
  }
  CatalogWriter writer;
  ASSERT_TRUE(writer.Open(out_).ok());
  writer.Write("new");
  fs::permissions(out_, fs::perms(0400));
  EXPECT_EQ(writer.Commit().message(), "Cannot write catalog file \"" + out_ + "\": Permission denied");
  EXPECT_EQ(ReadFile(out_), "previous");
  EXPECT_EQ(testing::ListDir(dir_.path()), "astorb.dat link.slc out.slc") << "no temporary file is left";
}

enum Operation { kStart, kLoad, kClear, kCount };

// Each row fails the nth call of one kind on one file, for n = 1, 2, ... until the operation no longer reaches
// it: the call, the file ("cat" is the output's folder, so that its temporary file is matched too), the error,
// whether half of a write is stored first, the operation, and what the message says could not be done.
const struct FaultCase { const char *call, *file; int error; bool partial; Operation operation; const char* failed; }
kFaults[] = {
    {"open", "cat", ENOSPC, false, kStart, "create catalog file"},
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
TEST_F(CatalogTest, EveryFailedFileCallIsReportedAndChangesNothing) {
  fs::create_directory(dir_ / "cat");
  WriteFile(src_, NumberedSource(2500));  // several reads of the source, several writes of the catalog
  const std::string records = Bytes(MakeHistoryRecord(kMorning, "/old.slc", "1-2", 2)) + std::string(500, 0);
  const std::string history = records + "stray";  // left by an interrupted append: each append cuts it first
  catalog_.m_strSourcePath = src_;
  catalog_.m_strOutputPath = dir_ / "cat/out.slc";
  catalog_.m_strFilter = "1-2500";
  std::string complete;  // set by the catalog's rows before the history's
  for (const FaultCase& c : kFaults) {
    const std::string match = "/" + std::string(c.file);
    long n = 0;
    for (;;) {
      SCOPED_TRACE(std::string(c.call) + " number " + std::to_string(++n) + " on " + c.file);
      WriteFile(dir_ / "cat/out.slc", "previous");
      WriteFile(history_, history);
      ASSERT_TRUE(catalog_.LoadHistory().ok());
      const std::vector<FakeServices::Row> rows = services_.rows;
      services_.messages.clear();
      g_fault = {c.call, match.c_str(), n, 0, c.error, c.partial, false};
      StartResult result = StartResult::kConverted;
      Status status = Status::Ok();
      if (c.operation == kStart) result = catalog_.OnStart().result;
      if (c.operation == kLoad) status = catalog_.LoadHistory();
      if (c.operation == kClear) catalog_.OnClearHistory();
      if (c.operation == kCount) status = catalog_.CountSourceRecords();
      const bool reached = g_fault.seen >= n;
      g_fault.nth = 0;
      if (!status) services_.ShowMessage(status.message());
      EXPECT_EQ(testing::ListDir(dir_ / "cat"), "out.slc") << "no temporary file is left";
      if (!reached) {  // past its last call the operation succeeds
        EXPECT_EQ(services_.messages, std::vector<std::string>{});
        if (c.operation == kStart) complete = ReadFile(dir_ / "cat/out.slc");
        break;
      }
      const bool recordOnly = c.operation == kStart && c.file == std::string("history");
      const std::string named = dir_ / (c.file == std::string("cat") ? "cat/out.slc" : c.file);
      EXPECT_EQ(services_.messages, std::vector<std::string>{
          (recordOnly ? "The catalog was written, but the run could not be added to the history. " : "") +
          ("Cannot " + std::string(c.failed) + " \"" + named + "\": " + SystemReason(c.error))});
      EXPECT_EQ(result, c.operation != kStart ? StartResult::kConverted
                        : recordOnly          ? StartResult::kNotRecorded
                                              : StartResult::kRunRefused);
      EXPECT_EQ(ReadFile(dir_ / "cat/out.slc"), recordOnly ? complete : "previous");
      const std::string after = ReadFile(history_);
      EXPECT_TRUE(after == history || after == records) << "no record, whole or in part: " << after.size();
      EXPECT_TRUE(c.operation == kLoad || services_.rows == rows) << "the list shows what the file holds";
      EXPECT_EQ(catalog_.m_nTotal, 0) << "a failed count shows 0";
    }
    EXPECT_GT(n, 1) << c.call << " on " << c.file << " was never reached";
  }
}

// Root may write anywhere: the shim refuses the new file as a folder without write permission would.
TEST_F(CatalogTest, AFolderThatRefusesTheNewFileIsNamedAsTheCause) {
  WriteFile(src_, NumberedSource(2));
  WriteFile(out_, "previous");
  for (const std::string& output : {out_, dir_ / "new.slc"}) {
    g_fault = {"open", "/.", 1, 0, EACCES, false, false};
    EXPECT_EQ(Start("1", src_, output).result, StartResult::kRunRefused);
    g_fault.nth = 0;
    const std::string folder = dir_.path() + "\" does not allow creating the new file beside it: ";
    const std::string expected = output == out_ ? "Cannot replace catalog file \"" + out_ + "\": its folder \"" + folder
                                                : "Cannot create catalog file \"" + output + "\": ";
    EXPECT_EQ(services_.messages.at(0), expected + "Permission denied");
  }
  EXPECT_EQ(ReadFile(out_), "previous");
}

// Where the file system gives no unnamed file (the armed shim stands in for one), the temporary file has a name
// from the start: SIGTERM and SIGINT delete it, and the next run into the folder deletes what SIGKILL left.
TEST_F(CatalogTest, AnInterruptedRunLeavesNoTemporaryFile) {
  ASSERT_EQ(::mkfifo(src_.c_str(), 0600), 0);
  const int writer = ::open(src_.c_str(), O_RDWR);  // the run waits for lines that never come
  if (struct sigaction old {}; ::sigaction(SIGINT, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) {
    ::signal(SIGINT, SIG_DFL);  // as a shell leaves it for a program run in the background
  }
  WriteFile(out_, "previous");
  for (const int signo : {SIGTERM, SIGINT, SIGKILL}) {
    const pid_t run = ::fork();
    if (run == 0) {
      g_fault = {"unlink", "none", 1, 0, EIO, false, false};
      Start("1-3", src_, out_);
      ::_exit(0);
    }
    for (int wait = 0; wait < 10000 && testing::ListDir(dir_.path()).find(".out.slc.") != 0; ++wait) ::usleep(1000);
    ::kill(run, signo);
    int status = 0;
    ::waitpid(run, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signo) << signo;
    EXPECT_EQ(testing::ListDir(dir_.path()).find(".out.slc."), signo == SIGKILL ? 0 : std::string::npos) << signo;
  }
  EXPECT_EQ(ReadFile(out_), "previous");
  ::close(writer);
  // Only that goes: any other name stays, however close to a temporary name, and so does a live run's file and
  // the file of a run on another host sharing the folder, whose process ids mean nothing here.
  const std::string host = ProcessHost();
  const std::set<std::string> names = {"astorb.dat", "b.dat", "history", "out.slc", ".notes.2024-01-15.tmp",
      ".report.txt.31337-0-0.tmp", ".out.slc.31337-0-0.tmp", fs::path(TemporaryName("b.slc", 31337, 0, host)),
      fs::path(TemporaryName("out.slc", getppid(), 0, host)), fs::path(TemporaryName("out.slc", 99999996, 0, "x"))};
  std::string expected;
  for (const std::string& name : names) {
    if (name.front() == '.') WriteFile(dir_ / name, "a user's file");
    expected += (expected.empty() ? "" : " ") + name;
  }
  WriteFile(dir_ / "b.dat", NumberedSource(1));
  EXPECT_EQ(Start("1", dir_ / "b.dat", out_).result, StartResult::kConverted);
  EXPECT_EQ(testing::ListDir(dir_.path()), expected);
}

#else
// A catalog another program holds open (as the planetarium program holds the one it has loaded) or a read-only
// one is refused with the system's reason and kept whole; a run also deletes what a killed run left beside it.
TEST_F(CatalogTest, ACatalogHeldOpenOrReadOnlyIsKeptWhole) {
  const std::wstring path = testing::PathOf(out_).wstring();
  WriteFile(src_, NumberedSource(2));
  WriteFile(out_, "previous");
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const struct { DWORD share, attributes; bool held; std::string reason; } kCases[] = {
      {FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL, true, SystemReason(-ERROR_SHARING_VIOLATION)},
      {kShareAll, FILE_ATTRIBUTE_READONLY, true, "Permission denied"},
      {kShareAll, FILE_ATTRIBUTE_READONLY, false, "Permission denied"},
  };
  for (const auto& c : kCases) {
    WriteFile(TemporaryName(out_, 99999996, 1, ProcessHost()), "left by a run that was killed");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
    const HANDLE held = c.held ? CreateFileW(path.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
    EXPECT_EQ(Start("1", src_, out_).result, StartResult::kRunRefused);
    CloseHandle(held);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, c.attributes & FILE_ATTRIBUTE_READONLY)
        << "the attribute is kept";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(services_.messages, std::vector<std::string>{"Cannot write catalog file \"" + out_ + "\": " + c.reason});
    EXPECT_EQ(ReadFile(out_), "previous");
    EXPECT_EQ(testing::ListDir(dir_.path()), "astorb.dat out.slc") << "no temporary file is left";
  }
}
#endif

TEST(HistoryTest, EveryFinishedAppendOfRunsAtOnceLeavesOneWholeRecord) {
  const testing::ScratchDir dir;
  std::atomic<int> failed{0};
  std::vector<std::thread> runs;
  for (int run = 0; run < 8; ++run) {
    runs.emplace_back([&, run] {  // each append opens the file anew, as a run of its own does
      for (int i = 0; i < 250; ++i) {
        const std::string file = std::to_string(run) + "/" + std::to_string(i);
        failed += !AppendHistoryFile(dir / "history", MakeHistoryRecord(kMorning, file, "1", i)).ok();
      }
    });
  }
  for (std::thread& run : runs) run.join();
  EXPECT_EQ(failed, 0);
  std::vector<HistoryRecord> records;
  ASSERT_TRUE(ReadHistoryFile(dir / "history", records).ok());
  std::set<std::string> files;
  for (const HistoryRecord& record : records) files.insert(SlotText(record.szCatalogFile));
  EXPECT_EQ(ReadFile(dir / "history").size(), 2000u * 500);
  EXPECT_EQ(files.size(), 2000u) << "every append, once";
}

// History text as the window shows it: valid UTF-8 as it is, any other byte as Windows-1252 reads it.
TEST(HistoryTest, TextThatIsNotUtf8ShowsAsWindows1252) {
  const struct { const char *name, *bytes, *shown; } kCases[] = {
      {"UTF-8 of two, three and four bytes", "\xC3\xA9\xE2\x9C\x93\xF0\x9F\x98\x80",
       "\xC3\xA9\xE2\x9C\x93\xF0\x9F\x98\x80"},
      {"a Latin-1 letter", "j\xF6rg.slc", "j\xC3\xB6rg.slc"},
      {"Windows-1252's own and an unassigned byte", "\x80\x9F\x81", "\xE2\x82\xAC\xC5\xB8\xC2\x81"},
      {"a character cut short", "\xE2\x9C.", "\xC3\xA2\xC5\x93."},
      {"an overlong form", "\xC0\xAF\xE0\x9F\xBF", "\xC3\x80\xC2\xAF\xC3\xA0\xC5\xB8\xC2\xBF"},
      {"a surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
  };
  for (const auto& c : kCases) EXPECT_EQ(ReadableUtf8(c.bytes), c.shown) << c.name;
}

std::string Flipped(std::string bytes, std::size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  return bytes;
}

// A member of `text` whose header has `flags` and then `fields` (extra field, name, comment as the flags say),
// and the header's CRC16 when the flags ask for one (FHCRC, 0x02); the CRC16 is flipped when `badCrc`.
std::string Member(const std::string& text, int flags, const std::string& fields = "", bool badCrc = false) {
  std::string header = std::string("\x1f\x8b\x08", 3) + static_cast<char>(flags) + std::string(5, '\0') + "\xff";
  header += fields;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(header.data()), static_cast<uInt>(header.size())) ^ badCrc;
  if (flags & 2) header += {static_cast<char>(crc & 0xff), static_cast<char>(crc >> 8 & 0xff)};
  return header + Gzip(text).substr(10);
}

// The start of `text` as a member that ends `at` bytes after the first 128 KiB block of the reader: its FCOMMENT
// pads it to that size.
std::string MemberEndingAt(const std::string& text, std::ptrdiff_t at) {
  const std::size_t size = Member(text, 0x10, std::string(1, '\0')).size();
  return Member(text, 0x10, std::string(128 * 1024 + at - size, 'c') + '\0');
}

// The text of the file through SourceStream in reads of `piece` bytes, and after it why reading failed.
std::string ReadInPieces(const std::string& path, std::size_t piece) {
  OsFile file;
  EXPECT_EQ(file.OpenForReading(path), 0);
  SourceStream stream(file);
  std::string text, buffer(piece, '\0');
  for (std::ptrdiff_t n = 0; (n = stream.Read(buffer.data(), piece)) > 0;) text.append(buffer, 0, n);
  return stream.failed() ? text + "\n" + stream.FailureMessage(path, 0) : text;
}

// The Total and Start on gzip files, whole, joined and damaged, against the same runs on the text they hold;
// through the program's inflater in catalog_tests and through the other one in catalog_tests_<inflater>.
TEST_F(CatalogTest, ReadsACompressedSourceOrRefusesSayingWhere) {
  const std::string text = NumberedSource(250);  // 268 bytes a line
  const std::string gz = Gzip(text);
  const std::string stored = Gzip(text, 0);  // 10 bytes of header and 5 of block header before the text
  const auto at = [](int line) { return "Compressed data damaged at line " + std::to_string(line); };
  const std::string early = " (the file ends too soon)";
  const std::string notGzip = "Compressed data ends at line 251, followed by data that is not gzip";
  // The Total, why the file is refused (empty: it is not), and whether the run stops before the damage.
  struct Case { std::string name, bytes, text; const char* total; std::string damage; const char* filter;
                bool converts; };
  std::vector<Case> cases = {
      {"one member", gz, text, "250 ", "", "1-300", true},
      {"several members, one empty, a line split between two",
       Gzip(text.substr(0, 30000)) + Gzip("") + Gzip(text.substr(30000)), text, "250 ", "", "1-300", true},
      {"empty member", Gzip(""), "", "0 ", "", "1-5", true},
      {"every header field: FTEXT, FHCRC, FEXTRA, FNAME, FCOMMENT",
       Member(text, 0x1f, "\x2c\x01" + std::string(300, '\0') + "astorb.dat" + '\0' + "from Lowell" + '\0'), text,
       "250 ", "", "1-300", true},
      {"a long FCOMMENT and FHCRC", Member(text, 0x12, std::string(200000, 'c') + '\0'), text, "250 ", "", "1-300",
       true},
      {"cut in the header", gz.substr(0, 5), "", "0 ", at(1) + early, "1-5", false},
      {"cut in the data, run stops before it", stored.substr(0, 10000), text, "37 ", at(38) + early, "1-10", true},
      {"cut in the data, run reaches it", stored.substr(0, 10000), text, "37 ", at(38) + early, "1-40", false},
      {"cut before the trailer", gz.substr(0, gz.size() - 8), text, "250 ", at(251) + early, "1-300", false},
      {"cut in the trailer", gz.substr(0, gz.size() - 3), text, "250 ", at(251) + early, "1-300", false},
      {"flipped data byte", Flipped(stored, 16), text, "250 ", at(251), "1-300", false},
      {"bad CRC", Flipped(gz, gz.size() - 8), text, "250 ", at(251), "1-300", false},
      {"bad length", Flipped(gz, gz.size() - 4), text, "250 ", at(251), "1-300", false},
      {"bad header: method 9", Flipped(gz, 2), text, "0 ", at(1), "1-300", false},
      {"bad header CRC", Member(text, 0x02, "", true), text, "0 ", at(1), "1-300", false},
      {"bad block type", gz.substr(0, 10) + "\x07", text, "0 ", at(1), "1-300", false},
      {"member followed by other bytes", gz + "no gzip member here", text, "250 ", notGzip, "1-300", false},
      {"member followed by 7 bytes of junk", gz + "junk!!!", text, "250 ", notGzip, "1-300", false},
      {"member followed by 4 NUL bytes", gz + std::string(4, '\0'), text, "250 ", notGzip, "1-300", false},
      {"member followed by the magic's first byte", gz + "\x1f", text, "250 ", at(251) + early, "1-300", false},
      {"not gzip at all", text, text, "250 ", "", "1-300", true},
  };
  for (const int flag : {0x20, 0x40, 0x80}) {  // encrypted, then the two reserved bits: gzip -d refuses them
    cases.push_back({"flag " + std::to_string(flag), Member(text, flag), text, "0 ", at(1), "1-300", false});
  }
  // Where the reader's blocks fall: a first member ending 11 to 1 bytes before the end of the first block, so that
  // the next header (10 bytes and the CRC16) is split there; at its end; 1 to 8 bytes after it, in its trailer.
  for (int split = -11; split <= 8; ++split) {
    cases.push_back({"block ends " + std::to_string(split) + " bytes off the end of a member",
                     MemberEndingAt(text.substr(0, 30000), split) + Member(text.substr(30000), 0x02), text, "250 ",
                     "", "1-300", true});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string message = c.damage.empty() ? "" : "Cannot read source catalog \"" + src_ + "\": " + c.damage;
    WriteFile(src_, c.text);
    ASSERT_EQ(Start(c.filter, src_, dir_ / "text.slc").result, StartResult::kConverted);
    WriteFile(src_, c.bytes);
    EXPECT_EQ(catalog_.CountSourceRecords().message(), message);
    EXPECT_EQ(catalog_.m_strTotal, c.total);
    EXPECT_TRUE(ReadInPieces(src_, 3) == ReadInPieces(src_, ReadBlock::kSize)) << "in reads of 3 bytes";
    WriteFile(out_, "previous");
    WriteFile(history_, "");
    const StartOutcome outcome = Start(c.filter, src_, out_);
    EXPECT_EQ(outcome.result, c.converts ? StartResult::kConverted : StartResult::kRunRefused);
    EXPECT_EQ(services_.messages, std::vector<std::string>(!c.converts, message));
    EXPECT_TRUE(ReadFile(out_) == (c.converts ? ReadFile(dir_ / "text.slc") : "previous")) << "the catalog";
    EXPECT_EQ(ReadFile(history_).size(), c.converts ? 500u : 0u);
  }
}

using testing::kWindows;
using testing::Result;

template <class... More>
Result RunCli(const std::string& dir, const std::vector<std::string>& args, const More&... more) {
  return testing::RunProgram(ORBIVANE_CLI, dir, args, more...);
}

std::vector<std::string> Convert(const std::string& filter, const std::string& source = "astorb.dat",
                                 const std::string& output = "out.slc", const std::string& workdir = ".") {
  return {"convert", "--source", source, "--output", output, "--filter", filter, "--workdir", workdir};
}

// Every command, and the refusals before a run: a refused run writes no file.
TEST(CliTest, AnswersEachCommand) {
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", ReadFile(testing::SampleFile("astorb-current-sample.dat")));
  // A path too long for its slot keeps its end, never from inside a UTF-8 character; a filter its start.
  const HistoryRecord earlier = MakeHistoryRecord({2001, 12, 5, 10, 0, 0}, "\xC3\xA9" + std::string(148, 'a'),
                                                  std::string(300, '2'), 2);
  const HistoryRecord later = MakeHistoryRecord({2001, 12, 6, 1, 45, 9}, "/c/b.slc", "3", 1);
  // A run of continuation bytes, which is no UTF-8, loses three at most; a slot without a NUL ends with itself.
  const HistoryRecord run = MakeHistoryRecord(kMorning, std::string(200, '\x80'), "a" + std::string(400, '\x80'), 3);
  const std::string noNul = std::string(30, 'd') + std::string(150, 'p') + std::string(300, 'f') + std::string(20, 'n');
  WriteFile(dir / "history", Bytes(earlier) + Bytes(later) + Bytes(run) + noNul);
  std::filesystem::create_directories(testing::PathOf(dir / "bad/history"));  // a history that cannot be a file
  std::filesystem::create_directory(testing::PathOf(dir / "new"));
  const std::string S(1, testing::kSeparator);
#ifdef _WIN32
  const std::string newHistory = dir / "new" + S + "history";  // the system resolves ".." by the name alone
  const auto reserved = [&dir](const std::string& name) {
    return "Cannot create catalog file \"" + (dir / name) + "\": the name is reserved for a device on Windows; choose "
           "another name\n";
  };
#else
  std::filesystem::create_symlink(dir / "history", dir / "link.slc");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::string newHistory = dir / "new/../new/history";
#endif
  const std::string nothing = "; nothing was converted\n";
  // Cyrillic and a check mark.
  const std::string anyScript = "\xD0\x9A\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x82\xD1\x8B \xE2\x9C\x93.slc";
  const std::string gone = "Cannot use history folder \"gone\": No such file or directory\n";
  const std::string isHistory = "\" is the history file; choose another name for the new catalog.\n";
  const std::string more = "Try 'orbivane-cli --help' for more information.\n";  // after a usage error
  const struct { std::vector<std::string> args; int status; std::string out, err; } kCases[] = {
      {{"history"}, 0, std::string(30, 'd') + "\t" + std::string(150, 'p') + "\t" + std::string(300, 'f') + "\t" +
                           std::string(20, 'n') + "\n12/6/2001 01:45:09\t" + std::string(146, '\x80') + "\ta" +
                           std::string(295, '\x80') + "\t3\n12/6/2001 01:45:09\t/c/b.slc\t3\t1\n12/5/2001 10:00:00\t" +
                           std::string(148, 'a') + "\t" + std::string(299, '2') + "\t2\n", ""},
      {{"history", "--workdir", "new"}, 0, "", ""},
      {{"history", "--workdir", "bad/"}, 1, "", "Cannot read history file \"bad/history\": Is a directory\n"},
      {{"clear-history", "--workdir=bad/"}, 1, "", "Cannot delete history file \"bad/history\": Is a directory\n"},
      {{"count", "--source", "astorb.dat"}, 0, "6\n", ""},
      {{"count", "--source", "gone"}, 1, "", "Cannot open source catalog \"gone\": No such file or directory\n"},
      {Convert(""), 1, "", "orbivane-cli: the filter is empty" + nothing},
      {Convert("1-5a"), 1, "", "Filter string contains invalid simbols!\n"},
      {Convert("9-1"), 1, "", "orbivane-cli: the filter selects no asteroid" + nothing},
      {Convert("1", ""), 1, "", "orbivane-cli: no source catalog given" + nothing},
      {Convert("1", "astorb.dat", ""), 1, "", "orbivane-cli: no output file given" + nothing},
      {Convert("1", "astorb.dat", "astorb.dat"), 1, "",
       "The catalog file \"" + (dir / "astorb.dat") + "\" is the source catalog itself; choose another name for the "
       "new catalog.\n"},
      {Convert("1", "astorb.dat", "history"), 1, "", "The catalog file \"" + (dir / "history") + isHistory},
      {Convert("1", "astorb.dat", "new/../new/history", "new"), 1, "",  // before the history's first run
       "The catalog file \"" + newHistory + isHistory},
      {Convert("2, 6"), 0, "Wrote 2 asteroid records to " + (dir / "out.slc") + "\n", ""},
      {Convert("1", "astorb.dat", anyScript), 0, "Wrote 1 asteroid record to " + (dir / anyScript) + "\n", ""},
      {Convert("1", "astorb.dat", std::string(250, 'c')), 0,  // a temporary name beside it must fit too
       "Wrote 1 asteroid record to " + (dir / std::string(250, 'c')) + "\n", ""},
      {Convert("1", "astorb.dat", "out.slc", "bad"), 1, "Wrote 1 asteroid record to " + (dir / "out.slc") + "\n",
       "The catalog was written, but the run could not be added to the history. "
       "Cannot write history file \"bad" + S + "history\": Is a directory\n"},
      {Convert("1", "astorb.dat", "out.slc" + S), 1, "", "Cannot create catalog file \"" + (dir / "out.slc" + S) +
       "\": Not a directory\n"},
      {Convert("1", "astorb.dat", "new" + S), 1, "", "Cannot create catalog file \"" + (dir / "new" + S) +
       "\": Is a directory\n"},
      {Convert("1", "astorb.dat", "out.slc", "gone"), 1, "", gone},
      {Convert("1", "astorb.dat", "out.slc", "out.slc"), 1, "",
       "Cannot use history folder \"out.slc\": Not a directory\n"},
      {{"history", "--workdir", "gone"}, 1, "", gone},
      {{"clear-history", "--workdir", "gone"}, 1, "", gone},
      {Convert("1", "astorb.dat", "out.slc", ""), 2, "",
       "orbivane-cli: option '--workdir' needs a non-empty value\n" + more},
      {{"history", "--workdir="}, 2, "", "orbivane-cli: option '--workdir' needs a non-empty value\n" + more},
      {{"count", "--source", ""}, 2, "", "orbivane-cli: option '--source' needs a non-empty value\n" + more},
      {{"count", "--source", "a", "--source", "b"}, 2, "", "orbivane-cli: option '--source' given twice\n" + more},
      {{"history", "extra"}, 2, "", "orbivane-cli: unexpected argument 'extra' for history\n" + more},
      {{"history", "--workdir"}, 2, "", "orbivane-cli: option '--workdir' needs a value\n" + more},
      {{"conv"}, 2, "", "orbivane-cli: unknown command 'conv'\n" + more},
      {{"fetch", "--source", "MPCORB"}, 2, "", "orbivane-cli: unknown source 'MPCORB': astorb or mpcorb\n" + more},
      {{}, 2, "", "orbivane-cli: no command given\n" + more},
#ifdef _WIN32
      // WinHTTP trusts the system's certificates only: the option is not offered.
      {{"fetch", "--cacert", "ca.pem"}, 2, "", "orbivane-cli: unexpected argument '--cacert' for fetch\n" + more},
      {Convert("1", "astorb.dat", "con.slc"), 1, "", reserved("con.slc")},
      {Convert("1", "astorb.dat", "Lpt9 .a.b"), 1, "", reserved("Lpt9 .a.b")},
      {Convert("1", "astorb.dat", "AUX"), 1, "", reserved("AUX")},
      {Convert("1", "astorb.dat", "com1.slc"), 1, "", reserved("com1.slc")},
      {Convert("1", "astorb.dat", "prn.slc"), 1, "", reserved("prn.slc")},
      {Convert("1", "astorb.dat", "com0.slc"), 0, "Wrote 1 asteroid record to " + (dir / "com0.slc") + "\n", ""},
      {Convert("1", "astorb.dat", "NUL"), 0, "Wrote 1 asteroid record to " + (dir / "NUL") + "\n", ""},
#else
      {Convert("1", "astorb.dat", "link.slc"), 1, "", "The catalog file \"" + (dir / "link.slc") + isHistory},
      {Convert("1", "astorb.dat", "fifo"), 1, "",
       "Cannot create catalog file \"" + (dir / "fifo") + "\": No such device or address\n"},
      {Convert("1", "astorb.dat", "/dev/full"), 1, "",
       "Cannot write catalog file \"/dev/full\": No space left on device\n"},
      {Convert("1-9", "fifo"), 0, "Wrote 0 asteroid records to " + (dir / "out.slc") + "\n", ""},
#endif
  };
  for (const auto& c : kCases) {
    const std::string files = testing::ListDir(dir.path()) + ReadFile(dir / "history");
    const Result r = RunCli(dir.path(), c.args);
    const std::string name = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(r.status, c.status) << name;
    EXPECT_EQ(r.out, c.out) << name;
    EXPECT_EQ(r.err, c.err) << name;
    EXPECT_TRUE(!c.out.empty() || testing::ListDir(dir.path()) + ReadFile(dir / "history") == files) << name;
  }
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo") && std::filesystem::is_character_file("/dev/full"));
  const Result full = RunCli(dir.path(), {"history"}, "", "", "/dev/full");
  EXPECT_EQ(full.status, 1) << "output that cannot be written is a failure";
  EXPECT_EQ(full.err, "orbivane-cli: cannot write standard output: No space left on device\n");
#endif
}

// "-" is standard input as a source and standard output as a catalog (the summary then goes with the messages,
// and the history names "-"); a download needs a file.
TEST(CliTest, TakesDashForStandardInputAndOutput) {
  const testing::ScratchDir dir;
  const std::string sample = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  WriteFile(dir / "astorb.dat", sample);
  WriteFile(dir / "astorb.dat.gz", Gzip(sample));
  std::string records;
  AppendCatalogRecord(sample.substr(268, 267), records);
  AppendCatalogRecord(sample.substr(5 * 268, 267), records.append("\r\n"));
  const struct { const char* name; std::vector<std::string> args; const char* in; int status; std::string out, err; }
  kCases[] = {
      {"both", Convert("2, 6", "-", "-"), "astorb.dat", 0, records, "Wrote 2 asteroid records to -\n"},
      {"compressed input", Convert("2, 6", "-", "-"), "astorb.dat.gz", 0, records, "Wrote 2 asteroid records to -\n"},
      {"count", {"count", "--source", "-"}, "astorb.dat.gz", 0, "6\n", ""},
      {"fetch", {"fetch", "--output", "-"}, "astorb.dat", 2, "",
       "orbivane-cli: fetch needs a file for --output, not '-' (standard output)\n"
       "Try 'orbivane-cli --help' for more information.\n"},
  };
  for (const auto& c : kCases) {
    const Result r = RunCli(dir.path(), c.args, dir / c.in);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
  }
  const std::string history = ReadFile(dir / "history");
  ASSERT_EQ(history.size(), 1000u);
  EXPECT_STREQ(history.c_str() + 30, "-");
  EXPECT_STREQ(history.c_str() + 530, "-");
#ifndef _WIN32
  const Result intoHistory = RunCli(dir.path(), Convert("1", "astorb.dat", "-"), "", "", dir / "history");
  EXPECT_EQ(intoHistory.status, 1);
  EXPECT_EQ(intoHistory.err, "The catalog file \"-\" is the history file; choose another name for the new catalog.\n");
#endif
}

// After a command, --help prints its usage, description and options as the whole --help shows them, which
// names every command with every option.
TEST(CliTest, GivesEachCommandItsHelp) {
  const testing::ScratchDir dir;
  const Result whole = RunCli(dir.path(), {"--help"});
  EXPECT_EQ(std::to_string(whole.status) + whole.err, "0");
  const struct { std::vector<std::string> args; std::string usage; } kCases[] = {
      {{"convert", "--help"}, "convert --source FILE --output FILE --filter TEXT [--workdir DIR]"},
      {{"count", "-h"}, "count --source FILE [--epochs]"},
      {{"refresh", "--help"}, "refresh [--fetch] [--url URL] [--source FILE] [--workdir DIR] [--dry-run]"},
      {{"history", "--workdir", "gone", "--help"}, "history [--workdir DIR]"},
      {{"clear-history", "--help", "extra"}, "clear-history [--workdir DIR]"},
      {{"fetch", "--help"},
       std::string("fetch [--source NAME] [--url URL] [--output FILE]") + (kWindows ? "" : " [--cacert FILE]")},
  };
  for (const auto& c : kCases) {
    const Result r = RunCli(dir.path(), c.args);
    EXPECT_EQ(std::to_string(r.status) + r.err, "0") << c.args[0];
    const std::string usage = "Usage: orbivane-cli " + c.usage + "\n\n";
    ASSERT_GT(r.out.size(), usage.size()) << c.args[0];
    EXPECT_EQ(r.out.substr(0, usage.size()), usage);
    EXPECT_NE(whole.out.find("\n  orbivane-cli " + c.usage + "\n"), std::string::npos) << c.args[0];
    EXPECT_NE(whole.out.find("\n" + c.args[0] + "\n" + r.out.substr(usage.size())), std::string::npos) << c.args[0];
  }
}

// orbivane-cli's progress line: erased with escape codes only where the terminal takes them, blanked out on a
// console without them, and not drawn at all on a file or the null device (which Windows counts as a terminal).
TEST(CliTest, DrawsItsProgressLineOnlyAsTheTerminalTakesIt) {
  const testing::ScratchDir dir;
  const std::string bar = "Converting [" + std::string(40, '#') + "] 100%";
  const std::string total = "Counting lines: 1234 ";
  const struct { const char* name; Terminal terminal; std::string expected; } kCases[] = {
      {"terminal", Terminal::kEscapes, "\r" + bar + "\033[K\r" + total + "\033[K\r\033[KDone\n"},
      {"plain console", Terminal::kPlain,
       "\r" + bar + "\r" + total + std::string(bar.size() - total.size(), ' ') + "\r" +
           std::string(total.size(), ' ') + "\rDone\n"},
      {"file", Terminal::kNone, "Done\n"},
  };
  for (const auto& c : kCases) {
    std::FILE* file = std::fopen((dir / c.name).c_str(), "wb");
    {
      ConsoleServices console(file, c.terminal);
      console.SetProgressRange(0, 4);
      console.SetProgressPos(4);
      std::this_thread::sleep_for(std::chrono::milliseconds(110));  // the line is redrawn ten times a second
      console.ShowTotal("1234 ");
      console.ShowMessage("Done");
    }
    EXPECT_EQ(TerminalOf(file), Terminal::kNone) << c.name;
    std::fclose(file);
    EXPECT_EQ(ReadFile(dir / c.name), c.expected) << c.name;
  }
#ifdef _WIN32
  std::FILE* device = std::fopen("NUL", "wb");
#else
  std::FILE* device = std::fopen("/dev/null", "wb");
#endif
  EXPECT_EQ(TerminalOf(device), Terminal::kNone);
  std::fclose(device);
}

#ifdef _WIN32
// The system's task list names a program by its version record: orbivane-cli.exe is the command-line tool.
TEST(CliTest, ItsVersionRecordNamesTheCommandLineTool) {
  const std::wstring program = testing::PathOf(ORBIVANE_CLI).wstring();
  DWORD unused = 0;
  std::vector<char> record(GetFileVersionInfoSizeW(program.c_str(), &unused));
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
  std::string got;
  for (const wchar_t* key : {L"FileDescription", L"FileVersion", L"InternalName", L"OriginalFilename"}) {
    wchar_t* text = nullptr;
    UINT size = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    got += VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&text), &size)
               ? testing::Utf8(std::filesystem::path(std::wstring(text))) + "|"
               : "(none)|";
  }
  EXPECT_EQ(got, "Orbivane command-line tool|1, 0, 0, 1|orbivane-cli|orbivane-cli.exe|");
}
#endif

#ifndef _WIN32
// The output path holds the previous catalog or the complete new one, and
// the history only whole records of complete runs.
TEST(CliTest, AConversionKilledAnyTimeLeavesThePreviousOrTheCompleteCatalog) {
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", testing::NumberedSource(30000));
  const auto started = std::chrono::steady_clock::now();
  const Result whole = RunCli(dir.path(), Convert("1-30000"));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(whole.status, 0) << "the cap is no failure";
  EXPECT_EQ(whole.out, "Wrote 30000 asteroid records to " + (dir / "out.slc") + "\n");
  EXPECT_EQ(whole.err, "Asteroid catalogs can't contains more than 30000 asteroids!\n");
  const std::string complete = ReadFile(dir / "out.slc");
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  int kept = 0;
  for (int kill = 0; kill < 30; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill) + " of seed " + std::to_string(seed));
    WriteFile(dir / "out.slc", "previous");
    const double delay = 0.001 + took.count() * static_cast<double>(random() % 1200) / 1000;
    RunCli(dir.path(), Convert("1-30000"), "", "timeout -s KILL " + std::to_string(delay));
    const std::string now = ReadFile(dir / "out.slc");
    ASSERT_TRUE(now == "previous" || now == complete) << now.size() << " bytes";
    kept += now == "previous";
    const std::string history = ReadFile(dir / "history");
    ASSERT_EQ(history.size() % 500, 0u);
    for (std::size_t at = 480; at < history.size(); at += 500) EXPECT_STREQ(history.c_str() + at, "30000");
  }
  EXPECT_GT(kept, 0) << "no kill landed during a run";
  // A kill between the naming of the temporary file and its rename leaves it: the next run deletes it.
  RunCli(dir.path(), Convert("1"));
  EXPECT_EQ(testing::ListDir(dir.path()), "astorb.dat history out.slc");
}

#else
// Windows has no unnamed file: Ctrl+C during a run deletes the named temporary catalog. Ctrl+C ends every command
// with 130, a conversion or a selection after that deletion. Each run waits on a pipe for source lines that do not
// come, on a console of its own that it shares with this test.
TEST(CliTest, CtrlCEndsWith130LeavingNoTemporaryFileAndAPipeSourceEndsWithItsWriter) {
  const testing::ScratchDir dir;
  WriteFile(dir / "out.slc", "previous");
  const std::string pipe = "\\\\.\\pipe\\orbivane-test-" + std::to_string(GetCurrentProcessId());
  const HANDLE source =
      CreateNamedPipeW(testing::PathOf(pipe).c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 4, 0, 0, 0, nullptr);
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);  // this test goes on
  const auto temporary = [&dir] { return testing::ListDir(dir.path()).find(".out.slc.") == 0; };
  const std::vector<std::string> select = {"select", "--source", pipe, "--output", "out.slc"};
  for (const auto& args : {Convert("1-3", pipe), select, std::vector<std::string>{"count", "--source", pipe}}) {
    const bool convert = args[0] != "count";
    const HANDLE run = testing::StartProgram(ORBIVANE_CLI, dir.path(), args);
    ConnectNamedPipe(source, nullptr);
    for (int wait = 0; convert && !temporary() && wait < 1000; ++wait) Sleep(10);
    if (convert) {
      ASSERT_TRUE(temporary()) << "the run made its temporary file";
    }
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_EQ(WaitForSingleObject(run, 10000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(run, &status);
    EXPECT_EQ(status, 130u) << args[0];
    EXPECT_EQ(testing::ListDir(dir.path()), "out.slc");
    EXPECT_EQ(ReadFile(dir / "out.slc"), "previous");
    TerminateProcess(run, 1);
    CloseHandle(run);
    DisconnectNamedPipe(source);
  }
  // A source whose writer goes has ended: the next run converts what came. Its output goes to files, as a
  // console Wine makes without a display takes none.
  const testing::ScratchDir streams;
  const HANDLE next = testing::StartProgram(ORBIVANE_CLI, dir.path(), Convert("1-3", pipe), streams / "out",
                                            streams / "err");
  ConnectNamedPipe(source, nullptr);
  const std::string lines = NumberedSource(2);
  DWORD written = 0;
  ::WriteFile(source, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(source);
  DWORD status = 1;
  EXPECT_EQ(WaitForSingleObject(next, 10000), WAIT_OBJECT_0);
  GetExitCodeProcess(next, &status);
  EXPECT_EQ(status, 0u) << ReadFile(streams / "err");
  CloseHandle(next);
  std::string records;
  AppendCatalogRecord(lines.substr(0, 267), records);
  AppendCatalogRecord(lines.substr(268, 267), records.append("\r\n"));
  EXPECT_EQ(ReadFile(dir / "out.slc"), records);
}
#endif

}  // namespace orbivane
