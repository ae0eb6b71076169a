// Compiling the history's catalogs again: which catalogs, with which filter, what each ends as, and that each
// catalog written is the very catalog a direct conversion or selection with its filter writes from the same source.
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "catalog.h"
#include "gzip_text.h"
#include "recipe.h"
#include "refresh.h"
#include "run_program.h"
#include "selection.h"
#include "test_files.h"
#include "web_addresses.h"

namespace orbivane {

using testing::FakeServices;
using testing::NumberedSource;
using testing::ReadFile;
using testing::WriteFile;

namespace {

const LocalTime kEarlier{2026, 11, 2, 8, 0, 0};
// The epoch of the lines of NumberedSource, 2007-07-19, as a Unix day (`date -u -d 2007-07-19 +%s` / 86400).
constexpr std::int64_t kHildaEpochDay = 13713;

// What a direct run with the filter writes from the source: convert's for a range filter, select's for a recipe.
std::string DirectCatalog(const std::string& source, const std::string& filter, const std::string& output) {
  FakeServices services;
  CCatalog catalog(services, testing::Utf8(testing::PathOf(output).parent_path()));
  catalog.m_strSourcePath = source;
  catalog.m_strOutputPath = output;
  if (IsRecipe(filter)) {
    std::string error;
    const auto selection = SelectionOfRecipe(filter, error);
    EXPECT_TRUE(selection) << error;
    EXPECT_EQ(RunSelection(catalog, *selection, nullptr, nullptr).result, SelectionOutcome::Result::kDone);
  } else {
    catalog.m_strFilter = filter;
    EXPECT_EQ(catalog.OnStart().result, StartResult::kConverted);
  }
  return ReadFile(output);
}

// Cancels the refresh once the catalog `after` has its outcome.
class CancelAfter final : public RefreshObserver {
 public:
  CancelAfter(std::size_t after, std::atomic<bool>& cancel) : after_(after), cancel_(cancel) {}
  void OnLines(std::int64_t, std::int64_t) override {}
  void OnCatalogDone(std::size_t index, const RefreshOutcome&) override {
    if (index == after_) cancel_ = true;
  }

 private:
  std::size_t after_;
  std::atomic<bool>& cancel_;
};

constexpr std::size_t kNever = 99;

// Makes the folder's files writable again before it goes: Windows deletes no read-only file.
struct WritableAtTheEnd {
  const testing::ScratchDir& dir;
  ~WritableAtTheEnd() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(testing::PathOf(dir.path()), ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
};

// A catalog as the row expects it after the refresh.
enum class Ends { kDirect, kPrevious, kAbsent };

struct Expected {
  const char* file;
  std::string filter;  // the filter it was compiled with
  std::string result;  // ResultText; "$" stands for the catalog's path
  Ends ends;
};

struct History {
  const char* file;
  std::string filter;
};

}  // namespace

// Each row: the history's records (oldest first; a file named "gone-" is not on disk, "ro-" is read-only), the
// source, when to cancel, and each catalog listed (newest first) as it ends. Every catalog holds "previous" before.
TEST(RefreshTest, CompilesEachCatalogOfTheHistoryAgain) {
  const std::string kCapTwo = "select; filter=3-7; max=2";
  const std::string kNoSymbols = "Filter string contains invalid simbols!";
  const std::string kReadOnly = "kept: Cannot write catalog file \"$\": Permission denied";
  const struct {
    const char* name;
    std::vector<History> history;
    int sourceLines;  // 0: no source file; -1: MPC's header, then three orbit lines in two sections
    std::size_t cancelAfter;
    std::vector<Expected> catalogs;
  } kCases[] = {
      {"a range row and a selection row", {{"a.slc", "2-4, 9"}, {"b.slc", kCapTwo}}, 12, kNever,
       {{"b.slc", kCapTwo, "compiled, 2 records", Ends::kDirect},
        {"a.slc", "2-4, 9", "compiled, 4 records", Ends::kDirect}}},
      {"two rows for one path: the newest wins", {{"a.slc", "1-5"}, {"b.slc", "7"}, {"a.slc", "3-8"}}, 12, kNever,
       {{"a.slc", "3-8", "compiled, 6 records", Ends::kDirect}, {"b.slc", "7", "compiled, 1 record", Ends::kDirect}}},
      {"ranges ending at different lines share a pass", {{"a.slc", "10-12"}, {"b.slc", "1"}, {"c.slc", "5, 40"}}, 12,
       kNever,
       {{"c.slc", "5, 40", "compiled, 1 record", Ends::kDirect}, {"b.slc", "1", "compiled, 1 record", Ends::kDirect},
        {"a.slc", "10-12", "compiled, 3 records", Ends::kDirect}}},
      {"a missing catalog is skipped", {{"gone-a.slc", "1-3"}, {"b.slc", "2"}}, 12, kNever,
       {{"b.slc", "2", "compiled, 1 record", Ends::kDirect},
        {"gone-a.slc", "1-3", "skipped: the file is missing", Ends::kAbsent}}},
      {"a read-only catalog is kept and reported", {{"ro-a.slc", "1-3"}, {"b.slc", "2"}, {"ro-c.slc", kCapTwo}}, 12,
       kNever,
       {{"ro-c.slc", kCapTwo, kReadOnly, Ends::kPrevious}, {"b.slc", "2", "compiled, 1 record", Ends::kDirect},
        {"ro-a.slc", "1-3", kReadOnly, Ends::kPrevious}}},
      {"a filter refused", {{"a.slc", "1-3x"}, {"b.slc", "2"}}, 12, kNever,
       {{"b.slc", "2", "compiled, 1 record", Ends::kDirect}, {"a.slc", "1-3x", "kept: " + kNoSymbols,
                                                                Ends::kPrevious}}},
      {"no source", {{"a.slc", "1-3"}, {"b.slc", kCapTwo}}, 0, kNever,
       {{"b.slc", kCapTwo, "kept: Cannot open source catalog \"@\": No such file or directory", Ends::kPrevious},
        {"a.slc", "1-3", "kept: Cannot open source catalog \"@\": No such file or directory", Ends::kPrevious}}},
      {"an MPCORB source: its orbit lines are the entries", {{"a.slc", "2"}, {"b.slc", "1-5"}}, -1, kNever,
       {{"b.slc", "1-5", "compiled, 3 records", Ends::kDirect}, {"a.slc", "2", "compiled, 1 record", Ends::kDirect}}},
      {"cancel in the middle keeps the rest whole", {{"a.slc", "1-9000"}, {"b.slc", kCapTwo}, {"c.slc", "3"}}, 9000, 0,
       {{"c.slc", "3", "compiled, 1 record", Ends::kDirect}, {"b.slc", kCapTwo, "kept: cancelled", Ends::kPrevious},
        {"a.slc", "1-9000", "kept: cancelled", Ends::kPrevious}}},
  };
  const std::string sep(1, testing::kSeparator);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const testing::ScratchDir dir;
    const WritableAtTheEnd writable{dir};
    const std::string source = dir / "astorb.dat";
    if (c.sourceLines > 0) WriteFile(source, NumberedSource(c.sourceLines));
    if (c.sourceLines < 0) {
      const std::string orbits = ReadFile(testing::SampleFile("mpcorb-sample.dat"));
      WriteFile(source, "MPCORB header\n" + std::string(160, '-') + "\n" + orbits + "\n" + orbits.substr(0, 203));
    }
    std::filesystem::create_directory(testing::PathOf(dir / "direct"));
    std::vector<HistoryRecord> records;
    for (const History& h : c.history) {
      const std::string file = h.file;
      if (!file.starts_with("gone-")) WriteFile(dir / file, "previous");
      if (file.starts_with("ro-")) {
        std::filesystem::permissions(testing::PathOf(dir / file), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
      }
      records.push_back(MakeHistoryRecord(kEarlier, dir / file, h.filter, 1));
      ASSERT_TRUE(AppendHistoryFile(HistoryPath(dir.path()), records.back()));
    }
    const std::string before = ReadFile(HistoryPath(dir.path()));

    const std::vector<RefreshCatalog> catalogs = CatalogsOfHistory(records);
    ASSERT_EQ(catalogs.size(), c.catalogs.size());
    FakeServices services;
    std::atomic<bool> cancel{false};
    CancelAfter observer(c.cancelAfter, cancel);
    const std::vector<RefreshOutcome> outcomes =
        RefreshCatalogs(catalogs, source, dir.path(), services, &observer, &cancel);

    for (std::size_t i = 0; i < c.catalogs.size(); ++i) {
      const Expected& e = c.catalogs[i];
      const std::string path = dir / e.file;
      SCOPED_TRACE(e.file);
      EXPECT_EQ(catalogs[i].path, path);
      EXPECT_EQ(catalogs[i].filter, e.filter);
      EXPECT_EQ(catalogs[i].compiled, "11/2/2026 08:00:00");
      std::string result = e.result;
      if (const auto at = result.find('$'); at != std::string::npos) result.replace(at, 1, path);
      if (const auto at = result.find('@'); at != std::string::npos) result.replace(at, 1, source);
      EXPECT_EQ(ResultText(outcomes[i]), result);
      switch (e.ends) {
        case Ends::kDirect:
          EXPECT_EQ(ReadFile(path), DirectCatalog(source, e.filter, dir.path() + sep + "direct" + sep + e.file));
          break;
        case Ends::kPrevious:
          EXPECT_EQ(ReadFile(path), "previous");
          break;
        case Ends::kAbsent:
          EXPECT_FALSE(testing::FileExists(path));
          break;
      }
    }
    // Each catalog compiled is recorded once, after the records there were, with its filter and count.
    std::vector<HistoryRecord> after;
    ASSERT_TRUE(ReadHistoryFile(HistoryPath(dir.path()), after));
    ASSERT_EQ(ReadFile(HistoryPath(dir.path())).substr(0, before.size()), before);
    for (std::size_t i = records.size(); i < after.size(); ++i) {
      std::size_t listed = 0;
      while (listed < catalogs.size() && catalogs[listed].path != SlotText(after[i].szCatalogFile)) ++listed;
      ASSERT_LT(listed, catalogs.size());
      EXPECT_EQ(SlotText(after[i].szFilter), catalogs[listed].filter);
      EXPECT_EQ(SlotText(after[i].szNumber), std::to_string(outcomes[listed].records));
      EXPECT_EQ(SlotText(after[i].szDateTime), "12/6/2001 01:45:09") << "the services' clock";
    }
    std::size_t direct = 0;
    for (const Expected& e : c.catalogs) direct += e.ends == Ends::kDirect;
    EXPECT_EQ(after.size() - records.size(), direct);
    EXPECT_EQ(services.messages, std::vector<std::string>{}) << "no message box";
  }
}

// orbivane-cli refresh as a scheduled job runs it: a line for each catalog, the summary and the exit status, from
// the history of --workdir. Each row starts from a.slc (1-3) and ro.slc (2, read-only) recorded, gone.slc recorded
// and deleted, and the source astorb.dat.gz (gzip, 5 lines) beside them, and MPCORB.DAT (MPC's header, two lines).
TEST(RefreshCliTest, PrintsEachCatalogAndExitsByTheWorst) {
  const std::string kWould =
      "Would compile @ro.slc with \"2\" (compiled 11/2/2026 08:00:00, 1 asteroids)\n"
      "Would skip @gone.slc with \"1-3\" (compiled 11/2/2026 08:00:00, 3 asteroids): the file is missing\n"
      "Would compile @a.slc with \"1-3\" (compiled 11/2/2026 08:00:00, 3 asteroids)\n";
  // The earlier epoch of the two MPCORB lines, 2023-02-25, as a Unix day (`date -u -d 2023-02-25 +%s` / 86400).
  constexpr std::int64_t kCeresEpochDay = 19413;
  const struct {
    const char* name;
    std::vector<std::string> args;
    bool readOnly;  // ro.slc is read-only
    int status;
    std::string out, err;
    bool changed;   // a.slc is compiled again
  } kCases[] = {
      {"every catalog compiled", {}, false, 0,
       "@ro.slc: compiled, 1 record (1 before)\n"
       "@gone.slc: skipped: the file is missing (3 before)\n"
       "@a.slc: compiled, 3 records (3 before)\n"
       "Refreshed from @astorb.dat.gz: 2 compiled, 0 failed, 1 skipped\n", "", true},
      {"one failed, the others done", {}, true, 1,
       "@ro.slc: kept: Cannot write catalog file \"@ro.slc\": Permission denied (1 before)\n"
       "@gone.slc: skipped: the file is missing (3 before)\n"
       "@a.slc: compiled, 3 records (3 before)\n"
       "Refreshed from @astorb.dat.gz: 1 compiled, 1 failed, 1 skipped\n", "", true},
      {"a source of its own", {"--source", "@none.dat"}, false, 1,
       "@ro.slc: kept: Cannot open source catalog \"@none.dat\": No such file or directory (1 before)\n"
       "@gone.slc: skipped: the file is missing (3 before)\n"
       "@a.slc: kept: Cannot open source catalog \"@none.dat\": No such file or directory (3 before)\n"
       "Refreshed from @none.dat: 0 compiled, 2 failed, 1 skipped\n", "", false},
      {"a failed download compiles nothing", {"--fetch", "--url", "ftp://127.0.0.1/astorb.dat.gz"}, false, 1, "",
       "Cannot download \"ftp://127.0.0.1/astorb.dat.gz\": only http:// and https:// addresses can be downloaded\n",
       false},
      {"dry run", {"--dry-run", "--fetch"}, false, 0,
       std::string("Would download ") + kAstorbDownloadUrl + " into @astorb.dat.gz\n" + kWould +
       "2 to compile from @astorb.dat.gz, 1 skipped\n"
       "Source: Epoch 2007-07-19, " + std::to_string(std::time(nullptr) / 86400 - kHildaEpochDay) +
       " days ago; file 0 days old\n", "", false},
      {"dry run of an MPCORB source: MPC's address", {"--dry-run", "--fetch", "--source", "@MPCORB.DAT"}, false, 0,
       std::string("Would download ") + kMpcorbDownloadUrl + " into @MPCORB.DAT\n" + kWould +
       "2 to compile from @MPCORB.DAT, 1 skipped\n"
       "Source: Epoch 2023-02-25, " + std::to_string(std::time(nullptr) / 86400 - kCeresEpochDay) +
       " days ago; file 0 days old\n", "", false},
      {"--url without --fetch", {"--url", "http://127.0.0.1/"}, false, 2, "",
       "orbivane-cli: --url needs --fetch\nTry 'orbivane-cli --help' for more information.\n", false},
      {"an unknown option", {"--filter", "1"}, false, 2, "",
       "orbivane-cli: unexpected argument '--filter' for refresh\nTry 'orbivane-cli --help' for more information.\n",
       false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const testing::ScratchDir dir;
    const WritableAtTheEnd writable{dir};
    const std::string at = dir.path() + testing::kSeparator;
    const auto placed = [&at](std::string text) {
      for (std::size_t i = text.find('@'); i != std::string::npos; i = text.find('@', i + at.size())) {
        text.replace(i, 1, at);
      }
      return text;
    };
    WriteFile(dir / "astorb.dat.gz", testing::Gzip(NumberedSource(5)));
    WriteFile(dir / "MPCORB.DAT", "MPCORB header\n" + std::string(160, '-') + "\n" +
                                      ReadFile(testing::SampleFile("mpcorb-sample.dat")));
    for (const auto& [file, filter, n] : {std::tuple{"a.slc", "1-3", 3}, {"gone.slc", "1-3", 3}, {"ro.slc", "2", 1}}) {
      WriteFile(dir / file, "previous");
      ASSERT_TRUE(AppendHistoryFile(HistoryPath(dir.path()), MakeHistoryRecord(kEarlier, dir / file, filter, n)));
    }
    std::filesystem::remove(testing::PathOf(dir / "gone.slc"));
    if (c.readOnly) {
      std::filesystem::permissions(testing::PathOf(dir / "ro.slc"), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::remove);
    }
    const std::string history = ReadFile(HistoryPath(dir.path()));
    std::vector<std::string> args{"refresh", "--workdir", dir.path()};
    for (const std::string& arg : c.args) args.push_back(placed(arg));
    const testing::Result run = testing::RunProgram(ORBIVANE_CLI, dir.path(), args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, placed(c.out));
    EXPECT_EQ(run.err, placed(c.err));
    EXPECT_FALSE(testing::FileExists(dir / "gone.slc"));
    if (!c.changed) {
      EXPECT_EQ(ReadFile(HistoryPath(dir.path())), history) << "nothing recorded";
    }
    std::filesystem::create_directory(testing::PathOf(dir / "direct"));
    const std::string direct = DirectCatalog(dir / "astorb.dat.gz", "1-3", at + "direct" + testing::kSeparator + "a");
    EXPECT_EQ(ReadFile(dir / "a.slc"), c.changed ? direct : "previous");
  }
}

}  // namespace orbivane
