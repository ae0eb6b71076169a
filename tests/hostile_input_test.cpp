// Odd and hostile input, each with its defined outcome: garbage and NUL
// bytes in the source, a 100 MB source without a line break, empty sources,
// FIFOs, a source that shrinks after it was counted, odd output paths, huge
// filters and a history file that is not a file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "astorb_record.h"
#include "catalog.h"
#include "catalog_run_fixture.h"
#include "cli_runner.h"
#include "fake_services.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::CurrentLine;
using testing::FakeServices;
using testing::FileExists;
using testing::ListDir;
using testing::NumberedSource;
using testing::ReadFile;
using testing::RunCli;
using testing::ScratchDir;
using testing::WriteFile;

std::string RecordOf(std::string_view line) {
  std::string record;
  AppendCatalogRecord(line, record);
  return record;
}

// The record of a line that holds nothing the transform can read.
const std::string kEmptyRecord = std::string(32, ' ') + " 1720994.458" + "   0.000000   0.000000   0.000000" +
                                 "    0.00000000 0.00000000   0.000000  0.00";

class HostileInputTest : public testing::CatalogRunTest {};

TEST_F(HostileInputTest, NulBytesEndALineAndGarbageStillGivesOneRecordPerLine) {
  const std::string good = CurrentLine(1, "Ceres");
  std::string cutByNul = good;
  cutByNul[40] = '\0';  // in the middle of the line: the name survives, the numbers do not
  std::string garbage;
  for (int c = 128; c < 256; ++c) garbage += static_cast<char>(c);
  garbage += "\r\t\v\f\x01\x7f";
  const std::string source = good + "\n" + std::string("\0", 1) + good + "\n" + cutByNul + "\n" + garbage + "\n" + good;
  EXPECT_EQ(StartOn(source, "1-5").records, 5);
  const std::string expected = RecordOf(good) + "\r\n" + kEmptyRecord + "\r\n" +
                               RecordOf(good.substr(0, 40)) + "\r\n" + RecordOf(garbage) + "\r\n" + RecordOf(good);
  EXPECT_EQ(ReadFile(dir_ / "out.slc"), expected);
  EXPECT_EQ(RecordOf(garbage).size(), 119u);
}

TEST_F(HostileInputTest, AHundredMegabyteSourceWithoutALineBreakIsOneLine) {
  {
    const int fd = ::open((dir_ / "astorb.dat").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(1 << 20, '7');
    for (int i = 0; i < 100; ++i) ASSERT_EQ(::write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    ::close(fd);
  }
  // Line 1 is the whole file, read as its first 999 characters; there is no line 2.
  const StartOutcome first = Start("1-5", dir_ / "astorb.dat", dir_ / "out.slc");
  EXPECT_EQ(first.result, StartResult::kConverted);
  EXPECT_EQ(first.records, 1);
  EXPECT_EQ(ReadFile(dir_ / "out.slc"), RecordOf(std::string(999, '7')));

  catalog_.m_strSourcePath = dir_ / "astorb.dat";
  ASSERT_TRUE(catalog_.CountSourceRecords().ok());
  EXPECT_EQ(catalog_.m_strTotal, "0 ") << "a line without a break is not counted";
}

TEST_F(HostileInputTest, EmptySourcesGiveAnEmptyCatalog) {
  const struct {
    const char* name;
    std::string source;
  } kCases[] = {
      {"empty file", ""},
      {"line breaks only past the selection", "\n\n"},
  };
  for (const auto& c : kCases) {
    const StartOutcome outcome = StartOn(c.source, "3-10");
    EXPECT_EQ(outcome.result, StartResult::kConverted) << c.name;
    EXPECT_EQ(outcome.records, 0) << c.name;
    EXPECT_EQ(ReadFile(dir_ / "out.slc"), "") << c.name;
    EXPECT_EQ(History().front()[3], "0") << c.name;
  }
}

TEST_F(HostileInputTest, AFifoSourceReadsWhatItsWriterSends) {
  const std::string fifo = dir_ / "astorb.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer: empty, at once, instead of waiting for one.
  const StartOutcome alone = Start("1-3", fifo, dir_ / "out.slc");
  EXPECT_EQ(alone.result, StartResult::kConverted);
  EXPECT_EQ(alone.records, 0);

  // With a writer: the lines it sends. The test holds the FIFO open for
  // reading and writing, so that the lines wait in it; the run stops after
  // line 3 without waiting for the writer to finish.
  const int fd = ::open(fifo.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  const std::string text = NumberedSource(5);
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  const StartOutcome fed = Start("1-3", fifo, dir_ / "out.slc");
  ::close(fd);
  EXPECT_EQ(fed.records, 3);
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 3 * 121 - 2u);
}

TEST_F(HostileInputTest, ASourceThatShrinksAfterTheCountEndsTheRunAtItsEnd) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(100));
  catalog_.m_strSourcePath = dir_ / "astorb.dat";
  ASSERT_TRUE(catalog_.CountSourceRecords().ok());
  EXPECT_EQ(catalog_.m_strTotal, "100 ");
  ASSERT_EQ(::truncate((dir_ / "astorb.dat").c_str(), static_cast<off_t>(NumberedSource(10).size() + 20)), 0);
  const StartOutcome outcome = Start("1-100", dir_ / "astorb.dat", dir_ / "out.slc");
  EXPECT_EQ(outcome.result, StartResult::kConverted);
  EXPECT_EQ(outcome.records, 11) << "ten whole lines and the start of the eleventh";
  EXPECT_EQ(History().front()[3], "11");
}

TEST_F(HostileInputTest, OutputPathsWithBlanksAndNonAsciiCharacters) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(3));
  const struct {
    const char* name;
    std::string folder;
    std::string file;
  } kCases[] = {
      {"blanks", "my catalogs", " out put .slc"},
      {"non-ASCII", "Kataloge für Ästeroïden", "Übersicht–2001 ☄.slc"},
  };
  for (const auto& c : kCases) {
    ASSERT_EQ(::mkdir((dir_ / c.folder).c_str(), 0755), 0) << c.name;
    const std::string output = dir_ / (c.folder + "/" + c.file);
    const StartOutcome outcome = Start("1-3", dir_ / "astorb.dat", output);
    EXPECT_EQ(outcome.result, StartResult::kConverted) << c.name;
    EXPECT_EQ(ListDir(dir_ / c.folder), c.file) << c.name;
    EXPECT_EQ(ReadFile(output).size(), 3 * 121 - 2u) << c.name;
    EXPECT_EQ(History().front()[1], output) << c.name << ": stored character for character";
  }
}

TEST_F(HostileInputTest, OverlongOutputPathsAreRefusedWithTheirReason) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(3));
  std::string path4096 = dir_.path();
  while (path4096.size() < 4096 - 101) path4096 += "/" + std::string(100, 'd');
  path4096 += "/" + std::string(4096 - path4096.size() - 1, 'f');
  ASSERT_EQ(path4096.size(), 4096u);
  const struct {
    const char* name;
    std::string output;
  } kCases[] = {
      {"a path of 4096 characters", path4096},
      {"a name of 256 characters", dir_ / std::string(256, 'n')},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Start("1", dir_ / "astorb.dat", c.output).result, StartResult::kRunRefused) << c.name;
    EXPECT_EQ(services_.messages,
              std::vector<std::string>{"Cannot create catalog file \"" + c.output + "\": File name too long"})
        << c.name;
    EXPECT_EQ(ListDir(dir_.path()), "astorb.dat") << c.name;
  }

  // A long path that the system takes is written, and the history keeps its end.
  std::string deep = dir_.path();
  while (deep.size() < 3000) {
    deep += "/" + std::string(200, 'd');
    ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
  }
  const std::string output = deep + "/" + std::string(250, 'c') + ".slc";
  EXPECT_EQ(Start("1", dir_ / "astorb.dat", output).result, StartResult::kConverted);
  EXPECT_EQ(ReadFile(output).size(), 119u);
  EXPECT_EQ(History().front()[1], output.substr(output.size() - 149));
}

TEST_F(HostileInputTest, HugeFiltersAreRefusedOrRunAsTheirRulesSay) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(1000));
  const auto repeat = [](const std::string& unit, std::size_t bytes) {
    std::string text;
    while (text.size() + unit.size() <= bytes) text += unit;
    return text;
  };
  std::string thousand;
  for (int n = 1; n <= 1000; ++n) thousand += std::to_string(n) + ", , 9-2,";  // empty and reversed tokens add nothing
  const struct {
    const char* name;
    std::string filter;
    StartResult result;
    int records;
    std::vector<std::string> messages;
  } kCases[] = {
      {"1 MB of one-number tokens", repeat("1,", 1 << 20), StartResult::kFilterRefused, 0,
       {"Filter string contains more than 1000 ranges! Join some of them into one."}},
      {"1 MB of blanks", std::string(1 << 20, ' '), StartResult::kNoRange, 0, {}},
      {"1 MB of digits", std::string(1 << 20, '7'), StartResult::kFilterRefused, 0,
       {"Filter string contains a number greater than 2147483647!"}},
      {"1 MB in one token: first and last number", "2-" + repeat("9-", (1 << 20) - 4) + "5",
       StartResult::kConverted, 4, {}},
      {"exactly 1000 ranges", thousand, StartResult::kConverted, 1000, {}},
      {"1001 ranges", thousand + "1001", StartResult::kFilterRefused, 0,
       {"Filter string contains more than 1000 ranges! Join some of them into one."}},
      {"10 digits, the largest number", "1-2147483647", StartResult::kConverted, 1000, {}},
      {"10 digits, one too many", "1-2147483648", StartResult::kFilterRefused, 0,
       {"Filter string contains a number greater than 2147483647!"}},
      {"11 digits", "10000000000", StartResult::kFilterRefused, 0,
       {"Filter string contains a number greater than 2147483647!"}},
      {"40 digits", std::string(40, '9'), StartResult::kFilterRefused, 0,
       {"Filter string contains a number greater than 2147483647!"}},
      {"40 digits of leading zeros and a small number", std::string(39, '0') + "7", StartResult::kConverted, 1, {}},
  };
  for (const auto& c : kCases) {
    ::unlink((dir_ / "out.slc").c_str());
    ::unlink((dir_ / "history").c_str());
    const StartOutcome outcome = Start(c.filter, dir_ / "astorb.dat", dir_ / "out.slc");
    EXPECT_EQ(outcome.result, c.result) << c.name;
    EXPECT_EQ(outcome.records, c.records) << c.name;
    EXPECT_EQ(services_.messages, c.messages) << c.name;
    if (c.result == StartResult::kConverted) {
      EXPECT_EQ(History().front()[2], c.filter.substr(0, 299)) << c.name << ": the history keeps the start";
    } else {
      EXPECT_FALSE(FileExists(dir_ / "out.slc")) << c.name << ": nothing runs";
      EXPECT_FALSE(FileExists(dir_ / "history")) << c.name;
    }
  }
}

TEST_F(HostileInputTest, AHistoryThatIsAFifoIsReportedAndTheProgramGoesOn) {
  const std::string path = dir_ / "history";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_TRUE(catalog_.LoadHistory().ok()) << "read without a writer: empty";
  EXPECT_TRUE(services_.rows.empty());
  const StartOutcome outcome = StartOn(NumberedSource(2), "1-2");
  EXPECT_EQ(outcome.result, StartResult::kNotRecorded);
  EXPECT_EQ(services_.messages,
            std::vector<std::string>{"The catalog was written, but the run could not be added to the history. "
                                     "Cannot write history file \"" + path + "\": Illegal seek"});
  EXPECT_EQ(ReadFile(dir_ / "out.slc").size(), 2 * 121 - 2u);
  EXPECT_TRUE(services_.rows.empty());
}

// The history file as the output: the catalog would be cut back to a whole
// number of 500-byte records and get the run's record behind it, and the
// earlier runs would be gone, all reported as success.
TEST_F(HostileInputTest, AnOutputThatIsTheHistoryFileIsRefused) {
  WriteFile(dir_ / "astorb.dat", NumberedSource(6));
  ASSERT_EQ(::mkdir((dir_ / "sub").c_str(), 0755), 0);
  const std::string history = dir_ / "history";
  const struct {
    const char* name;
    bool historyExists;
    std::string output;
  } kCases[] = {
      {"the history's own path", true, history},
      {"the path before the first run", false, history},
      {"a path through another folder", false, dir_ / "sub/../history"},
      {"a link to the history", true, dir_ / "link.slc"},
  };
  ASSERT_EQ(::symlink(history.c_str(), (dir_ / "link.slc").c_str()), 0);
  for (const auto& c : kCases) {
    ::unlink(history.c_str());
    const std::string before = c.historyExists ? std::string(500, 'h') : "";
    if (c.historyExists) WriteFile(history, before);
    EXPECT_EQ(Start("1-6", dir_ / "astorb.dat", c.output).result, StartResult::kRunRefused) << c.name;
    EXPECT_EQ(services_.messages, std::vector<std::string>{"The catalog file \"" + c.output +
                                                           "\" is the history file; choose another name for the new catalog."})
        << c.name;
    EXPECT_EQ(FileExists(history), c.historyExists) << c.name;
    if (c.historyExists) {
      EXPECT_EQ(ReadFile(history), before) << c.name;
    }
  }
  // A catalog beside it, named otherwise, is fine.
  EXPECT_EQ(Start("1-6", dir_ / "astorb.dat", dir_ / "history.slc").result, StartResult::kConverted);

  const testing::CliResult cli =
      RunCli({"convert", "--source", "astorb.dat", "--output", "history", "--filter", "1-6"}, dir_.path());
  EXPECT_EQ(cli.status, 1);
  EXPECT_EQ(cli.err, "The catalog file \"" + history +
                         "\" is the history file; choose another name for the new catalog.\n");
}

TEST(HostileCliTest, CountsAndConvertsOddSourcesFromTheShell) {
  ScratchDir dir;
  WriteFile(dir / "empty.dat", "");
  ASSERT_EQ(::mkfifo((dir / "fifo.dat").c_str(), 0600), 0);
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  } kCases[] = {
      {"count an empty file", {"count", "--source", "empty.dat"}, 0, "0\n", ""},
      {"count a FIFO without writer", {"count", "--source", "fifo.dat"}, 0, "0\n", ""},
      {"count a folder", {"count", "--source", "."}, 1, "",
       "Cannot read source catalog \".\": Is a directory\n"},
      {"convert a FIFO without writer",
       {"convert", "--source", "fifo.dat", "--output", "out.slc", "--filter", "1-9"}, 0,
       "Wrote 0 asteroid records to " + (dir / "out.slc") + "\n", ""},
      {"convert to a FIFO without reader",
       {"convert", "--source", "empty.dat", "--output", "fifo.dat", "--filter", "1"}, 1, "",
       "Cannot create catalog file \"" + (dir / "fifo.dat") + "\": No such device or address\n"},
  };
  for (const auto& c : kCases) {
    const testing::CliResult r = RunCli(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
  }
  struct stat st;
  ASSERT_EQ(::stat((dir / "fifo.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "a FIFO output is never replaced";
}

}  // namespace
}  // namespace orbivane
