// orbivane-cli select as a user runs it: refused input, the order of the cap, names, the catalog against
// convert's and its recipe taken back, the preview and the list; and the recipe's canonical text. The sky's own
// numbers (classes, magnitudes, peaks) are proven by the sky's tests; here they only pass through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "apparition.h"
#include "astorb_record.h"
#include "recipe.h"
#include "run_program.h"
#include "test_files.h"

namespace orbivane {

using testing::ReadFile;
using testing::Result;
using testing::WriteFile;

const std::string kMore = "Try 'orbivane-cli --help' for more information.\n";

// select from astorb.dat into out.slc (unless the arguments name another output), then the arguments.
Result Select(const std::string& dir, std::vector<std::string> args, const std::string& source = "astorb.dat") {
  const bool output = std::find(args.begin(), args.end(), "--output") != args.end();
  args.insert(args.begin(), {"select", "--source", source});
  if (!output) args.insert(args.begin() + 3, {"--output", "out.slc"});
  return testing::RunProgram(ORBIVANE_CLI, dir, args);
}

// The line numbers of --list's rows.
std::vector<int> Listed(const std::string& rows) {
  std::vector<int> lines;
  for (std::size_t at = 0; at < rows.size(); at = rows.find('\n', at) + 1) lines.push_back(std::stoi(rows.substr(at)));
  return lines;
}

// Input that is no selection is a usage error before any file is opened (the source is not there); a source or an
// output that fails is a failure, as for convert.
TEST(SelectCliTest, RefusesBadInputBeforeOpeningAnyFile) {
  const testing::ScratchDir dir;
  const auto usage = [](const std::string& message) { return "orbivane-cli: " + message + "\n" + kMore; };
  std::string names = "Vesta";
  for (int i = 1; i < 100; ++i) names += ",Vesta";
  const struct { const char* name; std::vector<std::string> args; int status; std::string err; } kCases[] = {
      {"unknown class", {"--class", "main, comet"}, 2, usage("unknown class 'comet'")},
      {"no such day", {"--brighter-than", "13", "--from", "2026-02-29", "--to", "2026-03-01"}, 2,
       usage("The day 2026-02-29 does not exist.")},
      {"a day of another form", {"--brighter-than", "13", "--from", "2026-3-1", "--to", "2026-03-01"}, 2,
       usage("--from needs a day as YYYY-MM-DD, not '2026-3-1'")},
      {"last day first", {"--brighter-than", "13", "--from", "2026-03-02", "--to", "2026-03-01"}, 2,
       usage("The last day, 2026-03-01, comes before the first, 2026-03-02.")},
      {"3661 days", {"--brighter-than", "13", "--from", "2020-01-01", "--to", "2030-01-08"}, 2,
       usage("The days from 2020-01-01 to 2030-01-08 are more than 3660; choose a shorter window.")},
      {"N of 0", {"--max", "0"}, 2, usage("A catalog keeps 1 to 30000 asteroids, not 0.")},
      {"N of 30001", {"--max", "30001"}, 2, usage("A catalog keeps 1 to 30000 asteroids, not 30001.")},
      {"N no number", {"--max", "5x"}, 2, usage("--max needs a whole number from 1 to 30000, not '5x'")},
      {"m no number", {"--brighter-than", "13x", "--from", "2026-03-01", "--to", "2026-03-01"}, 2,
       usage("--brighter-than needs a number, not '13x'")},
      {"h no number", {"--h-max", "nan"}, 2, usage("--h-max needs a number, not 'nan'")},
      {"m beyond 99", {"--brighter-than", "99.5", "--from", "2026-03-01", "--to", "2026-03-01"}, 2,
       usage("The magnitude limit must lie from -99 to 99, not 99.5.")},
      {"a recipe's H beyond -99", {"--recipe", "select; H<=-1e300"}, 2,
       usage("The H limit must lie from -99 to 99, not -1e+300.")},
      {"a recipe's elongation", {"--recipe", "select; V<=13.00 from 2026-03-01 to 2026-03-01 elongation>=200"}, 2,
       usage("The elongation must lie from 0 to 180 degrees, not 200.")},
      {"E beyond 180", {"--brighter-than", "1", "--from", "2026-03-01", "--to", "2026-03-01", "--elongation", "181"}, 2,
       usage("--elongation needs a number of degrees from 0 to 180, not '181'")},
      {"m without a day", {"--brighter-than", "13", "--from", "2026-03-01"}, 2,
       usage("--brighter-than needs --from and --to")},
      {"a day without m", {"--to", "2026-03-01"}, 2, usage("--to needs --brighter-than")},
      {"E without m", {"--elongation", "60"}, 2, usage("--elongation needs --brighter-than")},
      {"a name with ';'", {"--names", "Ceres, Ve;sta"}, 2, usage("A name cannot hold \",\" or \";\": \"Ve;sta\".")},
      {"too long for the history", {"--names", names}, 2,
       usage("The selection written out has 613 characters, more than the 299 the history keeps; name fewer "
             "asteroids.")},
      {"a refused filter", {"--filter", "1-5a"}, 2, usage("Filter string contains invalid simbols!")},
      {"recipe and an option", {"--recipe", "select; max=5", "--max", "5"}, 2,
       usage("--recipe cannot be given with --max")},
      {"no recipe", {"--recipe", "1-5"}, 2, usage("a selection's text starts with \"select;\"")},
      {"a recipe's unreadable part", {"--recipe", "select; H<=x"}, 2, usage("cannot read \"H<=x\" of the selection")},
      {"a recipe's day", {"--recipe", "select; V<=13.00 from 2026-02-30 to 2026-03-01"}, 2,
       usage("The day 2026-02-30 does not exist.")},
      {"a flag with a value", {"--dry-run=yes"}, 2, usage("option '--dry-run' takes no value")},
      {"list and records on stdout", {"--list", "--output", "-"}, 2,
       usage("--list and --output - would both write to standard output")},
      {"no source", {}, 1, "Cannot open source catalog \"astorb.dat\": No such file or directory\n"},
      {"no source, dry", {"--dry-run"}, 1, "Cannot open source catalog \"astorb.dat\": No such file or directory\n"},
  };
  for (const auto& c : kCases) {
    const Result r = Select(dir.path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(testing::ListDir(dir.path()), "") << c.name;
  }
  WriteFile(dir / "astorb.dat", "");
  const Result itself = Select(dir.path(), {"--output", "astorb.dat"});
  EXPECT_EQ(itself.status, 1);
  EXPECT_EQ(itself.err, "The catalog file \"" + (dir / "astorb.dat") +
                            "\" is the source catalog itself; choose another name for the new catalog.\n");
}

// When more lines pass than N, the brightest peaks stay, or without a brightness criterion the smallest H, the
// earlier line first among equals; the kept lines stay in line order. Names match a number, a name or a
// designation whole, in any case. Five lines of one orbit, so that their peaks differ as their H do.
TEST(SelectCliTest, KeepsTheBestInLineOrderAndMatchesNames) {
  const testing::ScratchDir dir;
  const std::string hilda = ReadFile(testing::SampleFile("astorb-current-sample.dat")).substr(268, 268);
  std::string source;
  for (const auto& [number, name, h] : {std::tuple{"     1", "Ceres   ", " 5.00"}, {"   153", "Hilda   ", " 3.00"},
                                        {"      ", "2024 YR4", " 4.00"}, {"   433", "Eros    ", " 3.00"},
                                        {" 50000", "Astraea ", " 6.00"}}) {
    source += std::string(hilda).replace(0, 6, number).replace(7, 8, name).replace(42, 5, h);
  }
  WriteFile(dir / "astorb.dat", source);
  const std::vector<std::string> bright = {"--brighter-than", "30", "--from", "2026-01-01", "--to", "2026-01-10"};
  const auto with = [](std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const struct { const char* name; std::vector<std::string> args; std::vector<int> kept; } kCases[] = {
      {"smallest H, the earlier of a tie", {"--max", "1"}, {2}},
      {"smallest H in line order", {"--max", "3"}, {2, 3, 4}},
      {"brightest, the earlier of a tie", with(bright, {"--max", "1"}), {2}},
      {"brightest in line order", with(bright, {"--max", "3"}), {2, 3, 4}},
      {"number, name and designation in any case", {"--names", "CERES, 153,2024 yr4"}, {1, 2, 3}},
      {"the asteroid's number, not the line's", {"--names", "5, 50000"}, {5}},
      {"no part of a name", {"--names", "Cere, 2024, Hild, 15"}, {}},
  };
  for (const auto& c : kCases) {
    const Result r = Select(dir.path(), with(c.args, {"--dry-run", "--list"}));
    EXPECT_EQ(r.status, 0) << c.name << r.err;
    EXPECT_EQ(Listed(r.out), c.kept) << c.name;
  }
}

// The catalog of a selection is the catalog convert writes of the same lines; the history holds the selection's
// recipe, which --recipe takes back to the same catalog; "-" is standard output as for convert.
TEST(SelectCliTest, WritesWhatConvertWritesAndTakesItsRecipeBack) {
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", ReadFile(testing::SampleFile("astorb-current-sample.dat")));
  const Result run = Select(dir.path(), {"--output", "sel.slc", "--names", " Ceres ", "--max", "2"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Wrote 2 asteroid records to " + (dir / "sel.slc") + ": 4 passed the selection, 2 kept\n");
  const std::string catalog = ReadFile(dir / "sel.slc");
  // Of the four lines of Ceres, lines 3 and 4 have the smallest H.
  const Result convert = testing::RunProgram(ORBIVANE_CLI, dir.path(), {"convert", "--source", "astorb.dat",
                                             "--output", "conv.slc", "--filter", "3-4"});
  EXPECT_EQ(convert.status, 0) << convert.err;
  EXPECT_EQ(ReadFile(dir / "conv.slc"), catalog);
  const std::string recipe = "select; names=Ceres; max=2";
  const Result history = testing::RunProgram(ORBIVANE_CLI, dir.path(), {"history"});
  EXPECT_NE(history.out.find("\t" + (dir / "sel.slc") + "\t" + recipe + "\t2\n"), std::string::npos) << history.out;
  const Result again = Select(dir.path(), {"--recipe", recipe, "--output", "-"});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, catalog);
  EXPECT_EQ(again.err, "Wrote 2 asteroid records to -: 4 passed the selection, 2 kept\n");
  // Ranges across the batches of lines that the threads judge.
  WriteFile(dir / "astorb.dat", testing::NumberedSource(3000));
  const std::string filter = "1020-1030, 2040-2050, 2999-3000";
  EXPECT_EQ(Select(dir.path(), {"--output", "sel.slc", "--filter", filter}).status, 0);
  testing::RunProgram(ORBIVANE_CLI, dir.path(), {"convert", "--source", "astorb.dat", "--output", "conv.slc",
                                                 "--filter", filter});
  EXPECT_EQ(ReadFile(dir / "sel.slc"), ReadFile(dir / "conv.slc"));
}

// --dry-run writes and records nothing and prints the preview; --list prints the kept lines (the preview then
// goes to standard error).
TEST(SelectCliTest, PrintsThePreviewAndTheList) {
  const testing::ScratchDir dir;
  const std::string sample = ReadFile(testing::SampleFile("astorb-current-sample.dat"));
  WriteFile(dir / "astorb.dat", sample);
  const std::vector<std::string> all = {"--filter", "2-6", "--brighter-than", "10", "--from", "2026-01-01", "--to",
                                        "2026-12-31", "--elongation", "60", "--h-max", "5", "--class", "hilda,main",
                                        "--names", "ceres,153", "--max", "2", "--dry-run"};
  const std::string preview =
      "Lines read: 6, epochs 1996-04-27 to 2026-09-17\n"
      "Passing filter=2-6: 5\n"
      "Passing V<=10.00 from 2026-01-01 to 2026-12-31 elongation>=60.00: 4\n"
      "Passing H<=5.00: 4\n"
      "Passing class=main,hilda: 5\n"
      "Passing names=ceres,153: 5\n"
      "Passing all: 3\n"
      "Kept: 2, the cap drops 1\n"
      "By class: main 3\n";
  // The brightest two of lines 3 to 5 (Ceres), as the sky computes their peaks.
  const sky::DayWindow window(*sky::JulianDateOf({2026, 1, 1}), 365);
  std::string rows;
  for (const int n : {3, 4}) {
    const AstorbOrbit o = ReadAstorbOrbit(sample.substr(268 * (n - 1), 267));
    const sky::Peak peak = sky::PeakOf({*sky::JulianDateOf({o.epochYear, o.epochMonth, o.epochDay}), o.meanAnomaly,
                                        o.perihelion, o.node, o.inclination, o.eccentricity, o.semimajorAxis, o.h,
                                        o.g}, window, 60);
    char row[80];
    const sky::CalendarDay day = sky::DayOf(window.Day(peak.day));
    std::snprintf(row, sizeof row, "%d\tmain\t3.33\t%.4f\t%04d-%02d-%02d\n", n, peak.magnitude, day.year, day.month,
                  day.day);
    rows += row;
  }
  const Result dry = Select(dir.path(), all);
  EXPECT_EQ(dry.status, 0);
  EXPECT_EQ(dry.out, preview);
  EXPECT_EQ(dry.err, "");
  std::vector<std::string> listed = all;
  listed.push_back("--list");
  const Result list = Select(dir.path(), listed);
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, rows);
  EXPECT_EQ(list.err, preview);
  // H at most 3.336 runs as its recipe writes it, "H<=3.34".
  const Result plain = Select(dir.path(), {"--h-max", "3.336", "--max", "3", "--dry-run", "--list"});
  EXPECT_EQ(plain.out, "1\tmain\t3.34\t-\t-\n3\tmain\t3.33\t-\t-\n4\tmain\t3.33\t-\t-\n");
  EXPECT_EQ(testing::ListDir(dir.path()), "astorb.dat") << "a dry run writes and records nothing";
}

// One text per selection: fields in a fixed order, numbers with two decimals, defaults left out; read back, it
// is the same selection.
TEST(SelectCliTest, WritesEachSelectionAsOneCanonicalText) {
  Selection full;
  full.ranges = "1-1000, 2000";
  full.brighterThan = 13.004;
  full.from = {2026, 12, 8};
  full.to = {2027, 1, 6};
  full.elongation = 60;
  full.hAtMost = 15.5;
  std::string error;
  ASSERT_TRUE(ParseClasses("neo, apollo,neo", full, error));
  full.names = {"Ceres", "433"};
  full.maxKept = 500;
  Selection dim = full;
  dim.elongation = 0;
  dim.ranges.clear();
  dim.maxKept = kMaxKept;
  const struct { const char* name; Selection selection; std::string text; } kCases[] = {
      {"defaults", {}, "select;"},
      {"every field", full, "select; filter=1-1000, 2000; V<=13.00 from 2026-12-08 to 2027-01-06 elongation>=60.00; "
                            "H<=15.50; class=apollo,neo; names=Ceres,433; max=500"},
      {"no elongation, filter or cap", dim,
       "select; V<=13.00 from 2026-12-08 to 2027-01-06; H<=15.50; class=apollo,neo; names=Ceres,433"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(RecipeOf(c.selection), c.text) << c.name;
    const std::optional<Selection> back = SelectionOfRecipe(c.text, error);
    ASSERT_TRUE(back) << c.name << ": " << error;
    EXPECT_EQ(RecipeOf(*back), c.text) << c.name;
  }
}

#ifndef _WIN32
// Ctrl+C while the run waits for source lines: 130 and nothing replaced or left (under Windows, with the
// conversion's test of Ctrl+C).
TEST(SelectCliTest, CtrlCEndsWith130AndReplacesNothing) {
  const testing::ScratchDir dir;
  ASSERT_EQ(::mkfifo((dir / "astorb.dat").c_str(), 0600), 0);
  const int writer = ::open((dir / "astorb.dat").c_str(), O_RDWR);  // lines that never come
  WriteFile(dir / "out.slc", "previous");
  const Result r = testing::RunProgram(ORBIVANE_CLI, dir.path(),
                                       {"select", "--source", "astorb.dat", "--output", "out.slc"}, "",
                                       "timeout --preserve-status -s INT 1");
  ::close(writer);
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(ReadFile(dir / "out.slc"), "previous");
  EXPECT_EQ(testing::ListDir(dir.path()), "astorb.dat out.slc");
}
#endif

}  // namespace orbivane
