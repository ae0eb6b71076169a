// Compiling catalogs again as the window offers it: the history list's own menu and its "Compile again", and the
// refresh dialog with its download, its rows and Cancel; the refresh's own rules are proven by its tests.
#include <wx/checkbox.h>

#include "astorb_download.h"
#include "gzip_text.h"
#include "refresh_dlg.h"
#include "window_fixture.h"

namespace orbivane::testing {
namespace {

const std::string kSample = SampleFile("astorb-current-sample.dat");

// The catalog a direct run of the main window's Start writes from the source with the filter.
std::string Converted(const std::string& source, const std::string& filter) {
  const ScratchDir dir;
  FakeServices services;
  CCatalog catalog(services, dir.path());
  catalog.m_strSourcePath = source;
  catalog.m_strOutputPath = dir / "direct.slc";
  catalog.m_strFilter = filter;
  EXPECT_EQ(catalog.OnStart().result, StartResult::kConverted);
  return ReadFile(dir / "direct.slc");
}

// The refresh dialog's rows: "catalog | selection | before | after | result".
Lines RefreshRows(wxDialog* dialog) {
  auto* list = dynamic_cast<wxListCtrl*>(dialog->FindWindow(IDC_REFRESH_LIST));
  Lines rows;
  for (long row = 0; row < list->GetItemCount(); ++row) {
    std::string text = list->GetItemText(row, 0).utf8_string();
    for (int column = 1; column < 5; ++column) text += " | " + list->GetItemText(row, column).utf8_string();
    rows.push_back(text);
  }
  return rows;
}

std::string Status(wxDialog* dialog) {
  return dialog->FindWindow(IDC_REFRESH_STATUS)->GetLabel().utf8_string();
}

const LocalTime kEarlier{2026, 11, 2, 8, 0, 0};

TEST_F(WindowTest, CompileAgainFromTheListsMenuWritesTheRowsCatalogAndRecordsIt) {
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(kSample));
  Prepare("2-4", "a.slc");
  Click(IDC_START);
  Prepare("1", "b.slc");
  Click(IDC_START);
  WriteFile(Path("a.slc"), "an older catalog");
  auto* list = dynamic_cast<wxListCtrl*>(window_.FindWindow(IDC_HISTORY));
  EXPECT_FALSE(window_.MakeHistoryMenu()->IsEnabled(IDM_COMPILE_AGAIN)) << "no row chosen";
  list->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);  // a.slc's row, under b.slc's
  const std::unique_ptr<wxMenu> menu = window_.MakeHistoryMenu();
  EXPECT_TRUE(menu->IsEnabled(IDM_COMPILE_AGAIN));
  EXPECT_EQ(menu->GetLabel(IDM_COMPILE_AGAIN), "&Compile again");
  EXPECT_EQ(menu->GetLabel(IDM_REFRESH), "Re&fresh all catalogs...\tCtrl+R");
  Send(&window_, IDM_COMPILE_AGAIN, wxEVT_MENU);
  EXPECT_EQ(ReadFile(Path("a.slc")), Converted(kSample, "2-4"));
  EXPECT_EQ(Rows(), (Lines{"date | " + Path("a.slc") + " | 2-4 | 3", "date | " + Path("b.slc") + " | 1 | 1",
                           "date | " + Path("a.slc") + " | 2-4 | 3"}));
  EXPECT_NE(window_.FindWindow(IDC_TOTAL)->GetToolTipText().Find("Epoch 2026-09-17, "), wxNOT_FOUND)
      << "the Total's tooltip tells the age: " << window_.FindWindow(IDC_TOTAL)->GetToolTipText().utf8_string();
}

// The origin of with_origin.sh serves the six-line sample compressed. No source is chosen, so the dialog offers
// the download checked; the three catalogs are compiled from the downloaded file, which becomes the source.
TEST_F(WindowTest, CtrlROpensTheRefreshThatDownloadsAndCompilesEveryCatalog) {
  const char* origin = std::getenv("ORBIVANE_TEST_ORIGIN");
  ASSERT_NE(origin, nullptr) << "run through with_origin.sh";
  window_.m_strDownloadUrl = std::string(origin) + "/astorb.dat.gz";
  const std::string recipe = "select; filter=2-6; max=2";
  for (const auto& [file, filter] : {std::pair{"a.slc", "1-3"}, {"b.slc", "5"}, {"c.slc", recipe.c_str()}}) {
    WriteFile(Path(file), "previous");
    ASSERT_TRUE(AppendHistoryFile(HistoryPath(folder_.path()), MakeHistoryRecord(kEarlier, Path(file), filter, 1)));
  }
  ASSERT_TRUE(window_.m_catalog.LoadHistory());
  Lines before, after;
  std::string status;
  bool offered = false;
  wxTEST_DIALOG(Send(&window_, KeyCommand(window_, 'R'), wxEVT_MENU), Expect<CRefreshDlg>([&](CRefreshDlg* d) {
                  d->Show();
                  offered = dynamic_cast<wxCheckBox*>(d->FindWindow(IDC_REFRESH_DOWNLOAD))->GetValue();
                  before = RefreshRows(d);
                  Send(d, IDC_REFRESH_START);
                  EXPECT_TRUE(RunUntil([d] { return !d->IsRunning(); }));
                  after = RefreshRows(d);
                  status = Status(d);
                  return wxID_CANCEL;
                }));
  EXPECT_TRUE(offered);
  const std::string c = Path("c.slc") + " | " + recipe + " | 1 | ", b = Path("b.slc") + " | 5 | 1 | ",
                    a = Path("a.slc") + " | 1-3 | 1 | ";
  EXPECT_EQ(before, (Lines{c + " | ", b + " | ", a + " | "}));
  EXPECT_EQ(after, (Lines{c + "2 | compiled, 2 records", b + "1 | compiled, 1 record", a + "3 | compiled, 3 records"}));
  const std::string bytes = GroupedNumber(std::ssize(ReadFile(Path("astorb.dat.gz"))));
  EXPECT_EQ(status, "Downloaded " + Path("astorb.dat.gz") + ": " + bytes +
                        " bytes, 6 lines. 3 compiled, 0 kept as they were.");
  const std::string source = Path("astorb.dat.gz");
  EXPECT_EQ(ReadFile(Path("a.slc")), Converted(kSample, "1-3"));
  EXPECT_EQ(ReadFile(Path("b.slc")), Converted(kSample, "5"));
  EXPECT_EQ(Text(IDC_SOURCE) + "|" + Text(IDC_TOTAL), source + "|6 ");
  EXPECT_EQ(Rows().size(), 6u) << "the three runs on top of the list";
  EXPECT_EQ(Rows().at(0).substr(0, 7), "date | ");
}

// A source long enough that the refresh is not over before it is cancelled: 4096 lines compressed once and
// repeated, 2 million lines in all.
TEST_F(WindowTest, CancelInTheRefreshKeepsThePreviousCatalogs) {
  const std::string member = Gzip(NumberedSource(4096));
  std::string source;
  for (int i = 0; i < 500; ++i) source += member;
  WriteFile(Path("long.dat.gz"), source);
  window_.m_catalog.m_strSourcePath = Path("long.dat.gz");
  window_.PushTexts();
  for (const char* file : {"a.slc", "b.slc"}) {
    WriteFile(Path(file), "previous");
    ASSERT_TRUE(AppendHistoryFile(HistoryPath(folder_.path()),
                                  MakeHistoryRecord(kEarlier, Path(file), "2048000", 1)));
  }
  const std::string history = ReadFile(HistoryPath(folder_.path()));
  Lines rows;
  wxTEST_DIALOG(window_.OnSysCommand(IDM_REFRESH + 0xF), Expect<CRefreshDlg>([&](CRefreshDlg* d) {
                  d->Show();
                  dynamic_cast<wxCheckBox*>(d->FindWindow(IDC_REFRESH_DOWNLOAD))->SetValue(false);
                  Send(d, IDC_REFRESH_START);
                  EXPECT_TRUE(d->IsRunning());
                  Send(d, wxID_CANCEL);  // Close reads Cancel while the refresh works
                  EXPECT_TRUE(RunUntil([d] { return !d->IsRunning(); }));
                  rows = RefreshRows(d);
                  return wxID_CANCEL;
                }));
  const std::string kept = " | 2048000 | 1 |  | kept: cancelled";
  EXPECT_EQ(rows, (Lines{Path("b.slc") + kept, Path("a.slc") + kept}));
  EXPECT_EQ(ReadFile(Path("a.slc")), "previous");
  EXPECT_EQ(ReadFile(Path("b.slc")), "previous");
  EXPECT_EQ(ReadFile(HistoryPath(folder_.path())), history) << "nothing recorded";
}

}  // namespace
}  // namespace orbivane::testing
