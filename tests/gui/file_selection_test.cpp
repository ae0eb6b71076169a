// The two "..." buttons: preset names, filters, what OK and Cancel change,
// and the Total of the chosen source.
#include <cctype>

#include <wx/datetime.h>

#include "file_presets.h"
#include <ostream>

#include "gui_test_support.h"
#include "resource_ids.h"

namespace orbivane::testing {
namespace {

using FileSelectionTest = MainWindowTest;

#ifdef _WIN32
constexpr char kAllFiles[] = "*.*";
#else
constexpr char kAllFiles[] = "*";
#endif

TEST_F(FileSelectionTest, SourceDialogStartsAtAstorbDatInTheStartFolder) {
  ShownFileDialog shown;
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_SOURCE), ExpectFile(shown, ""));
  EXPECT_EQ(shown.directory, folder_.path());
  EXPECT_EQ(shown.fileName, "astorb.dat");
  EXPECT_EQ(shown.wildcard, std::string("Source Catalogs (*.dat)|*.dat|All Files (*.*)|") + kAllFiles);
  EXPECT_TRUE(shown.style & wxFD_OPEN);
  EXPECT_FALSE(shown.style & wxFD_FILE_MUST_EXIST) << "a typed name of a missing file is accepted";
}

struct TotalCase {
  const char* name;
  const char* bytes;  // nullptr: the file does not exist
  const char* total;
};

// Test names show the case's name, not its bytes.
void PrintTo(const TotalCase& c, std::ostream* out) { *out << c.name; }

class SourceTotalTest : public MainWindowTest, public ::testing::WithParamInterface<TotalCase> {};

TEST_P(SourceTotalTest, ChoosingASourceShowsItsPathAndLineCount) {
  const TotalCase& c = GetParam();
  const std::string source = Path("chosen.dat");
  if (c.bytes != nullptr) WriteFile(source, c.bytes);
  ChooseSource(source);  // a message box here would fail the test
  EXPECT_EQ(TextOf(IDC_SOURCE), source);
  EXPECT_EQ(TextOf(IDC_TOTAL), c.total) << c.name;
  EXPECT_EQ(Window().m_catalog.m_strTotal, c.total);
}

INSTANTIATE_TEST_SUITE_P(FileSelection, SourceTotalTest,
                         ::testing::Values(TotalCase{"three_lines", "a\nb\nc\n", "3 "},
                                           TotalCase{"last_line_unterminated", "a\nb\nc", "2 "},
                                           TotalCase{"empty_file", "", "0 "},
                                           TotalCase{"one_line_no_break", "abc", "0 "},
                                           TotalCase{"two_bare_breaks", "\n\n", "2 "},
                                           TotalCase{"crlf_same_as_lf", "a\r\nb\r\nc\r\n", "3 "},
                                           TotalCase{"missing_file_counts_zero_silently", nullptr, "0 "}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FileSelectionTest, ChoosingASourceKeepsTheFilterTypedSoFar) {
  SetFilter("1-10");
  WriteFile(Path("a.dat"), "x\n");
  ChooseSource(Path("a.dat"));
  EXPECT_EQ(TextOf(IDC_FILTER), "1-10");
}

TEST_F(FileSelectionTest, CancelInEitherDialogChangesNothing) {
  WriteFile(Path("a.dat"), "x\ny\n");
  ChooseSource(Path("a.dat"));
  ChooseOutput(Path("out.slc"));
  ChooseSource("");
  ChooseOutput("");
  EXPECT_EQ(TextOf(IDC_SOURCE), Path("a.dat"));
  EXPECT_EQ(TextOf(IDC_TOTAL), "2 ");
  EXPECT_EQ(TextOf(IDC_OUTPUT), Path("out.slc"));
}

// "ddmm_hhmm.slc", two digits each.
bool IsPresetOutputName(const std::string& name) {
  if (name.size() != 13 || name[4] != '_' || name.substr(9) != ".slc") return false;
  for (const int at : {0, 1, 2, 3, 5, 6, 7, 8}) {
    if (!std::isdigit(static_cast<unsigned char>(name[static_cast<std::size_t>(at)]))) return false;
  }
  return true;
}

std::string PresetAt(const wxDateTime& time) {
  const wxDateTime::Tm t = time.GetTm();
  return OutputPresetName("", LocalTime{t.year, t.mon + 1, t.mday, t.hour, t.min, t.sec}).substr(1) + ".slc";
}

TEST_F(FileSelectionTest, OutputDialogStartsAtDayMonthHourMinuteInTheStartFolder) {
  Window();
  ShownFileDialog shown;
  const wxDateTime before = wxDateTime::Now();
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_OUTPUT), ExpectFile(shown, ""));
  const wxDateTime after = wxDateTime::Now();
  EXPECT_EQ(shown.directory, folder_.path());
  EXPECT_TRUE(IsPresetOutputName(shown.fileName)) << shown.fileName;
  EXPECT_TRUE(shown.fileName == PresetAt(before) || shown.fileName == PresetAt(after))
      << "Expected " << PresetAt(before) << ", got " << shown.fileName;
  EXPECT_EQ(shown.wildcard, std::string("Skyloom Catalogs (*.slc)|*.slc|All Files (*.*)|") + kAllFiles);
  EXPECT_TRUE(shown.style & wxFD_SAVE);
  EXPECT_TRUE(shown.style & wxFD_OVERWRITE_PROMPT);
}

struct OutputCase {
  const char* name;
  const char* chosen;
  const char* field;
};

// Test names show the case's name, not its bytes.
void PrintTo(const OutputCase& c, std::ostream* out) { *out << c.name; }

class OutputChoiceTest : public MainWindowTest, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(OutputChoiceTest, ChosenNameGetsSlcWhenItHasNoExtension) {
  const OutputCase& c = GetParam();
  ChooseOutput(Path(c.chosen));
  EXPECT_EQ(TextOf(IDC_OUTPUT), Path(c.field)) << c.name;
  EXPECT_FALSE(FileExists(Path(c.field))) << "choosing does not create the file";
}

INSTANTIATE_TEST_SUITE_P(FileSelection, OutputChoiceTest,
                         ::testing::Values(OutputCase{"preset_saved_unchanged", "0301_0905", "0301_0905.slc"},
                                           OutputCase{"with_slc", "0301_0905.slc", "0301_0905.slc"},
                                           OutputCase{"other_extension_kept", "cat.txt", "cat.txt"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FileSelectionTest, AddingTheExtensionOntoAnExistingFileAsksFirst) {
  WriteFile(Path("cat.slc"), "old catalog");
  std::vector<ShownMessage> seen;
  ShownFileDialog shown;
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_OUTPUT), ExpectFile(shown, Path("cat")), ExpectMessage(seen, wxID_NO));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, Path("cat.slc") + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(seen[0].caption, "Orbivane");
  EXPECT_EQ(TextOf(IDC_OUTPUT), "") << "No keeps the output as it was";

  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_OUTPUT), ExpectFile(shown, Path("cat")), ExpectMessage(seen, wxID_YES));
  EXPECT_EQ(TextOf(IDC_OUTPUT), Path("cat.slc"));
  EXPECT_EQ(ReadFile(Path("cat.slc")), "old catalog");
}

TEST_F(FileSelectionTest, HistoryStaysInTheStartFolderWhenTheCurrentFolderMoves) {
  Window();
  ScratchDir elsewhere;
  ScopedCurrentDirectory moved(elsewhere.path());
  WriteFile(Path("astorb.dat"), ReadFile(SampleFile("astorb-current-sample.dat")));
  ChooseSource(Path("astorb.dat"));
  ChooseOutput(Path("six.slc"));
  SetFilter("1-6");
  Click(&Window(), IDC_START);
  EXPECT_TRUE(FileExists(Path("history")));
  EXPECT_EQ(ListDir(elsewhere.path()), "");
}

}  // namespace
}  // namespace orbivane::testing
