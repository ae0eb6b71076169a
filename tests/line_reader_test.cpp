#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_reader.h"
#include "os_file.h"
#include "source_count.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::ScratchDir;
using testing::WriteFile;

std::vector<std::string> ReadLines(const std::string& bytes) {
  ScratchDir dir;
  WriteFile(dir / "source", bytes);
  OsFile file;
  EXPECT_EQ(file.OpenForReading(dir / "source"), 0);
  LineReader reader(file);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  EXPECT_EQ(reader.error(), 0);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReaderTest, SplitsLinesAsTextModeReadingDoes) {
  const std::string a1000(1000, 'a');
  const struct {
    const char* name;
    std::string bytes;
    Lines expected;
  } kCases[] = {
      {"empty file", "", {}},
      {"LF ends", "a\nb\n", {"a", "b"}},
      {"CR LF ends", "a\r\nb\r\n", {"a", "b"}},
      {"last line without LF", "a\nb", {"a", "b"}},
      {"empty lines", "\n\n", {"", ""}},
      {"lone CR stays", "a\rb\n", {"a\rb"}},
      {"only the CR before LF goes", "a\r\r\n", {"a\r"}},
      {"CR at the very end without LF stays", "a\r", {"a\r"}},
      {"999 characters", std::string(999, 'x') + "\n", {std::string(999, 'x')}},
      {"999 characters and CR", std::string(999, 'x') + "\r\n", {std::string(999, 'x')}},
      {"1000 characters cut to 999", a1000 + "\nb\n", {std::string(999, 'a'), "b"}},
      {"5000 characters stay one line", std::string(5000, 'y') + "\nz\n", {std::string(999, 'y'), "z"}},
      {"NUL bytes are kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const auto& c : kCases) EXPECT_EQ(ReadLines(c.bytes), c.expected) << c.name;
}

// Lines that run across the 128 KiB read buffer are gathered whole.
TEST(LineReaderTest, JoinsLinesAcrossItsBuffer) {
  constexpr std::size_t kBuffer = 128 * 1024;
  for (std::size_t before : {kBuffer - 1, kBuffer - 2, kBuffer - 3, kBuffer - 500, kBuffer}) {
    std::string bytes(before - 1, 'p');
    bytes += '\n';
    bytes += std::string(600, 'q') + "\r\n" + "last";
    const Lines lines = ReadLines(bytes);
    ASSERT_EQ(lines.size(), 3u) << before;
    EXPECT_EQ(lines[0], std::string(999, 'p'));
    EXPECT_EQ(lines[1], std::string(600, 'q')) << before;
    EXPECT_EQ(lines[2], "last");
  }
  // A CR and its LF on either side of the boundary.
  std::string bytes(kBuffer - 1, 'r');
  bytes += "\r\nnext\n";
  const Lines lines = ReadLines(bytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "next");
}

TEST(LineReaderTest, ReportsAReadError) {
  ScratchDir dir;
  OsFile file;
  ASSERT_EQ(file.OpenForReading(dir.path()), 0);  // a folder opens but cannot be read
  LineReader reader(file);
  std::string_view line;
  EXPECT_FALSE(reader.Next(line));
  EXPECT_NE(reader.error(), 0);
}

TEST(CountLineBreaksTest, CountsLinesThatEndWithALineBreak) {
  const struct {
    const char* name;
    std::string bytes;
    std::int64_t expected;
  } kCases[] = {
      {"three lines", "a\nb\nc\n", 3},
      {"last without line break", "a\nb\nc", 2},
      {"empty file", "", 0},
      {"one line without break", "abc", 0},
      {"two bare line breaks", "\n\n", 2},
      {"CR LF same as LF", "a\r\nb\r\nc\r\n", 3},
      {"long lines count once", std::string(5000, 'x') + "\n" + std::string(300, 'y') + "\n", 2},
      {"across blocks", std::string(300000, '\n'), 300000},
  };
  for (const auto& c : kCases) {
    ScratchDir dir;
    WriteFile(dir / "source", c.bytes);
    std::int64_t count = -1;
    EXPECT_TRUE(CountLineBreaks(dir / "source", count).ok()) << c.name;
    EXPECT_EQ(count, c.expected) << c.name;
  }
}

TEST(CountLineBreaksTest, NamesTheFileAndTheReason) {
  ScratchDir dir;
  std::int64_t count = -1;
  Status missing = CountLineBreaks(dir / "missing.dat", count);
  EXPECT_EQ(missing.message(), "Cannot open source catalog \"" + (dir / "missing.dat") + "\": No such file or directory");
  EXPECT_EQ(count, 0);
  Status folder = CountLineBreaks(dir.path(), count);
  EXPECT_EQ(folder.message(), "Cannot read source catalog \"" + dir.path() + "\": Is a directory");
}

}  // namespace
}  // namespace orbivane
