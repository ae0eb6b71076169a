// Start, Clear History and the history list as the window shows them, and
// the messages of refused starts and of history-file errors.
#include <sys/stat.h>

#include <cstdio>

#include <wx/listctrl.h>

#include "filter_table.h"
#include <ostream>

#include "gui_test_support.h"
#include "resource_ids.h"

namespace orbivane::testing {
namespace {

// "month/day/year hh:mm:ss", as the history stores it.
bool IsHistoryDateTime(const std::string& text) {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, consumed = 0;
  if (std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%n", &month, &day, &year, &hour, &minute, &second,
                  &consumed) != 6) {
    return false;
  }
  return consumed == static_cast<int>(text.size()) && text[text.size() - 3] == ':' && text[text.size() - 9] == ' ' &&
         month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1970 && hour < 24 && minute < 60 &&
         second < 60;
}

class StartTest : public MainWindowTest {
 protected:
  void PrepareSample() {
    WriteFile(Path("astorb.dat"), ReadFile(SampleFile("astorb-current-sample.dat")));
    ChooseSource(Path("astorb.dat"));
  }
  void StartWith(const std::string& filter, const std::string& output) {
    SetFilter(filter);
    ChooseOutput(output);
    Click(&Window(), IDC_START);  // a message box here would fail the test
  }
  static std::size_t Records(const std::string& catalog) {
    const std::string bytes = ReadFile(catalog);
    if (bytes.empty()) return 0;
    std::size_t n = 1;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++n;
    return n;
  }
};

TEST_F(StartTest, EachRunGoesOnTopOfTheHistory) {
  PrepareSample();
  StartWith("1-6", Path("first.slc"));
  StartWith("2, 4", Path("second.slc"));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1], Path("second.slc"));
  EXPECT_EQ(rows[0][2], "2, 4");
  EXPECT_EQ(rows[0][3], "2");
  EXPECT_EQ(rows[1][1], Path("first.slc"));
  EXPECT_EQ(rows[1][2], "1-6");
  EXPECT_EQ(rows[1][3], "6");
  for (const auto& row : rows) EXPECT_TRUE(IsHistoryDateTime(row[0])) << row[0];
  EXPECT_EQ(Records(Path("first.slc")), 6u);
  EXPECT_EQ(Records(Path("second.slc")), 2u);
}

TEST_F(StartTest, ANewWindowInTheSameFolderShowsTheSameHistoryNewestFirst) {
  PrepareSample();
  StartWith("1", Path("a.slc"));
  StartWith("1-2", Path("b.slc"));
  const auto before = Rows();
  CCatalogDlg again;
  again.InitDialog();
  auto* list = dynamic_cast<wxListCtrl*>(again.FindWindow(IDC_HISTORY));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetItemCount(), 2);
  EXPECT_EQ(list->GetItemText(0, 1).utf8_string(), before[0][1]);
  EXPECT_EQ(list->GetItemText(1, 1).utf8_string(), before[1][1]);
}

TEST_F(StartTest, ClearHistoryEmptiesTheListAndTheFile) {
  PrepareSample();
  StartWith("1-6", Path("first.slc"));
  ASSERT_TRUE(FileExists(Path("history")));
  Click(&Window(), IDC_CLEAR_HISTORY);
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(FileExists(Path("history")));
  StartWith("3", Path("third.slc"));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][2], "3");
}

TEST_F(StartTest, InvalidSymbolsAreRefusedWithTheirMessage) {
  PrepareSample();
  SetFilter("1-5x");
  ChooseOutput(Path("out.slc"));
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_START), ExpectMessage(seen));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Filter string contains invalid simbols!");
  EXPECT_EQ(seen[0].caption, "Orbivane");
  EXPECT_TRUE(seen[0].style & wxOK);
  EXPECT_TRUE(seen[0].style & wxICON_EXCLAMATION);
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(FileExists(Path("out.slc")));
  EXPECT_EQ(TextOf(IDC_FILTER), "1-5x");
}

TEST_F(StartTest, CapOf30000StopsTheRunWithItsMessageAndRecordsIt) {
  WriteFile(Path("big.dat"), NumberedSource(30001));
  ChooseSource(Path("big.dat"));
  EXPECT_EQ(TextOf(IDC_TOTAL), "30001 ");
  SetFilter("1-30001");
  ChooseOutput(Path("big.slc"));
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_START), ExpectMessage(seen));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Asteroid catalogs can't contains more than 30000 asteroids!");
  EXPECT_EQ(seen[0].caption, "Orbivane");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][3], "30000");
  EXPECT_EQ(Records(Path("big.slc")), 30000u);
}

TEST_F(StartTest, NothingHappensWithoutARangeOrAPath) {
  PrepareSample();
  struct Case {
    const char* name;
    const char* filter;
    bool output;
  };
  // The output stays empty in the first case only.
  for (const Case c : {Case{"no_output", "1-6", false}, Case{"empty_filter", "", true},
                       Case{"reversed_range", "5-3", true}, Case{"blanks_only", "   ", true}}) {
    SetFilter(c.filter);
    if (c.output) ChooseOutput(Path("out.slc"));
    Click(&Window(), IDC_START);  // a message box would fail the test
    EXPECT_TRUE(Rows().empty()) << c.name;
    EXPECT_FALSE(FileExists(Path("out.slc"))) << c.name;
  }
}

struct RefusalCase {
  const char* name;
  const char* source;  // relative to the folder
  const char* output;
  std::string filter;
  std::string message;  // "{folder}/" stands for the scratch folder and its separator
};

// Test names show the case's name, not its bytes.
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class RefusedStartTest : public StartTest, public ::testing::WithParamInterface<RefusalCase> {};

std::string WithFolder(std::string text, const std::string& folder) {
  for (std::size_t at; (at = text.find("{folder}/")) != std::string::npos;) {
    text.replace(at, 9, folder + ScratchDir::kSeparator);
  }
  return text;
}

TEST_P(RefusedStartTest, RefusalIsShownAndNothingElseChanges) {
  const RefusalCase& c = GetParam();
  WriteFile(Path("astorb.dat"), ReadFile(SampleFile("astorb-current-sample.dat")));
  WriteFile(Path("kept.slc"), "an older catalog");
  ChooseSource(Path(c.source));
  ChooseOutput(Path(c.output));
  SetFilter(c.filter);
  const std::string totalBefore = TextOf(IDC_TOTAL);
  const std::string listing = ListDir(folder_.path());
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_START), ExpectMessage(seen));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, WithFolder(c.message, folder_.path())) << c.name;
  EXPECT_EQ(seen[0].caption, "Orbivane");
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(ListDir(folder_.path()), listing) << "no file appears or goes";
  EXPECT_EQ(ReadFile(Path("kept.slc")), "an older catalog");
  EXPECT_EQ(TextOf(IDC_TOTAL), totalBefore);
  EXPECT_EQ(TextOf(IDC_SOURCE), Path(c.source));
  EXPECT_EQ(TextOf(IDC_FILTER), c.filter);
}

std::string ThousandAndOneRanges() {
  std::string filter;
  for (int n = 1; n <= 1001; ++n) filter += (n > 1 ? "," : "") + std::to_string(n);
  return filter;
}

INSTANTIATE_TEST_SUITE_P(
    Start, RefusedStartTest,
    ::testing::Values(
        RefusalCase{"unreadable_source", "missing.dat", "new.slc", "1-6",
                    "Cannot open source catalog \"{folder}/missing.dat\": No such file or directory"},
        RefusalCase{"unwritable_output", "astorb.dat", "no such folder/new.slc", "1-6",
                    "Cannot create catalog file \"{folder}/no such folder/new.slc\": No such file or directory"},
        RefusalCase{"output_is_the_source", "astorb.dat", "astorb.dat", "1-6",
                    "The catalog file \"{folder}/astorb.dat\" is the source catalog itself; choose another name "
                    "for the new catalog."},
        RefusalCase{"too_many_ranges", "astorb.dat", "kept.slc", ThousandAndOneRanges(), kTooManyRangesMessage},
        RefusalCase{"too_large_a_number", "astorb.dat", "kept.slc", "1-2147483648", kNumberTooLargeMessage}),
    [](const auto& row) { return std::string(row.param.name); });

// A `history` that is a folder can be neither read nor written.
class HistoryErrorTest : public StartTest {
 protected:
  HistoryErrorTest() { MakeDir(Path("history")); }
};

TEST_F(HistoryErrorTest, UnreadableHistoryIsShownWithItsReasonAtStartUp) {
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Window(), ExpectMessage(seen));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Cannot read history file \"" + Path("history") + "\": Is a directory");
  EXPECT_EQ(seen[0].caption, "Orbivane");
  EXPECT_TRUE(Window().IsShown()) << "the program keeps running";
}

TEST_F(HistoryErrorTest, UnwritableHistoryIsShownAfterTheCatalogIsWritten) {
  std::vector<ShownMessage> startUp;
  wxTEST_DIALOG(Window(), ExpectMessage(startUp));
  PrepareSample();
  SetFilter("1-6");
  ChooseOutput(Path("out.slc"));
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_START), ExpectMessage(seen));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "The catalog was written, but the run could not be added to the history. "
                          "Cannot write history file \"" + Path("history") + "\": Is a directory");
  EXPECT_EQ(Records(Path("out.slc")), 6u);
  EXPECT_TRUE(Rows().empty());

  std::vector<ShownMessage> cleared;
  wxTEST_DIALOG(Click(&Window(), IDC_CLEAR_HISTORY), ExpectMessage(cleared), ExpectMessage(cleared).Optional());
  ASSERT_GE(cleared.size(), 1u);
  EXPECT_NE(cleared[0].text.find("Cannot delete history file \"" + Path("history") + "\": "), std::string::npos)
      << cleared[0].text;
  EXPECT_TRUE(Window().IsShown());
}

}  // namespace
}  // namespace orbivane::testing
