// The selection by brightness and orbit as the window offers it: its command, its dialog's preview counted on a
// thread of its own, its Start, and Close during a count; the selection's own rules are proven by its tests.
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>

#include "astorb_record.h"
#include "gzip_text.h"
#include "selection_dlg.h"
#include "window_fixture.h"

namespace orbivane::testing {
namespace {

const std::string kSample = SampleFile("astorb-current-sample.dat");

std::string Preview(wxDialog* dialog) {
  return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(IDC_SELECT_PREVIEW))->GetValue().utf8_string();
}

// What the preview shows once it has caught up with the controls.
std::string Counted(CSelectionDlg* dialog) {
  EXPECT_TRUE(RunUntil([dialog] { return dialog->IsPreviewUpToDate(); })) << Preview(dialog);
  return Preview(dialog);
}

// Typing into a field tells the dialog of the change, as a user's typing does.
void Type(wxDialog* dialog, int id, const std::string& text) {
  dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id))->SetValue(wxString::FromUTF8(text));
}

void Check(wxDialog* dialog, int id, bool checked) {
  dynamic_cast<wxCheckBox*>(dialog->FindWindow(id))->SetValue(checked);
  Send(dialog, id, wxEVT_CHECKBOX);
}

void Pick(wxDialog* dialog, int id, const wxDateTime& day) {
  auto* picker = dynamic_cast<wxDatePickerCtrl*>(dialog->FindWindow(id));
  picker->SetValue(day);
  wxDateEvent changed(picker, day, wxEVT_DATE_CHANGED);
  dialog->ProcessWindowEvent(changed);
}

constexpr int kHildaGroup = IDC_SELECT_CLASS + sky::kOrbitClassCount + 2;

// The sample: four lines of (1) Ceres (main belt), (153) Hilda and 1927 LA (outer main belt, H 7.48 and 11.0).
TEST_F(WindowTest, CtrlBOpensTheSelectionWhosePreviewEachChangeCountsAgain) {
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(kSample));
  Prepare("", "sel.slc");
  Lines previews;
  wxTEST_DIALOG(Send(&window_, KeyCommand(window_, 'B'), wxEVT_MENU), Expect<CSelectionDlg>([&](CSelectionDlg* d) {
                  EXPECT_EQ(dynamic_cast<wxTextCtrl*>(d->FindWindow(IDC_SELECT_OUTPUT))->GetValue(), Path("sel.slc"));
                  previews.push_back(Counted(d));
                  Check(d, kHildaGroup, true);
                  previews.push_back(Counted(d));
                  Check(d, kHildaGroup, false);
                  Type(d, IDC_SELECT_H, "8");
                  Type(d, IDC_SELECT_MAX, "3");
                  previews.push_back(Counted(d));
                  Type(d, IDC_SELECT_MAX, "0");
                  previews.push_back(Counted(d));
                  return wxID_CANCEL;
                }));
  const std::string source = "Source: 6 lines, epochs 1996-04-27 to 2026-09-17\nPassing each: ";
  EXPECT_EQ(previews, (Lines{source + "no criterion given\nPassing all: 6; kept 6, the cap of 30000 drops 0\n"
                                      "By class: main 4, outer-main 2",
                             source + "class 1\nPassing all: 1; kept 1, the cap of 30000 drops 0\n"
                                      "By class: outer-main 1",
                             source + "H 5\nPassing all: 5; kept 3, the cap of 3 drops 2\n"
                                      "By class: main 4, outer-main 1",
                             "A catalog keeps 1 to 30000 asteroids, not 0."}));
  // The window menu's item (Windows) and the context menu's (Linux) send one of the ids 0x30 to 0x3F.
  wxTEST_DIALOG(window_.OnSysCommand(IDM_SELECT + 0xF), Expect<CSelectionDlg>([](CSelectionDlg*) { return 0; }));
}

TEST_F(WindowTest, TheSelectionsStartWritesTheCatalogAndPutsTheRunOnTopOfTheMainList) {
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(kSample));
  Prepare("", "sel.slc");
  WriteFile(Path("sel.slc"), "an older catalog");
  Lines seen;
  std::string shown;
  wxTEST_DIALOG(Send(&window_, IDM_SELECT, wxEVT_MENU), Expect<CSelectionDlg>([&](CSelectionDlg* d) {
                  d->Show();  // as showing it modally does; a hidden window owns no message box
                  Type(d, IDC_SELECT_MAX, "0");
                  Send(d, IDC_SELECT_START);  // refused in a message
                  Type(d, IDC_SELECT_MAX, "5");
                  Pick(d, IDC_SELECT_FROM, wxDateTime(1, wxDateTime::Nov, 2023));
                  Pick(d, IDC_SELECT_TO, wxDateTime(30, wxDateTime::Nov, 2023));
                  Type(d, IDC_SELECT_MAGNITUDE, "16");
                  Type(d, IDC_SELECT_NAMES, "hilda");
                  Send(d, IDC_SELECT_START);  // asks once about the file, then writes it
                  EXPECT_TRUE(RunUntil([d] { return !d->IsRunning(); }));
                  shown = Preview(d);
                  return wxID_CANCEL;
                }),
                Message<CSelectionDlg>(seen), Message<CSelectionDlg>(seen, wxID_YES));
  EXPECT_EQ(seen, (Lines{"Orbivane: A catalog keeps 1 to 30000 asteroids, not 0.",
                         "Orbivane: " + Path("sel.slc") + " already exists.\nDo you want to replace it?"}));
  EXPECT_EQ(shown.substr(0, shown.find('\n')), "Wrote 1 asteroid of 1 passing to " + Path("sel.slc") + ".");
  std::string hilda;
  AppendCatalogRecord(ReadFile(kSample).substr(268, 267), hilda);
  EXPECT_EQ(ReadFile(Path("sel.slc")), hilda);
  EXPECT_EQ(Rows(), Lines{"date | " + Path("sel.slc") +
                          " | select; V<=16.00 from 2023-11-01 to 2023-11-30; names=hilda; max=5 | 1"});
}

// A source long enough that neither a count nor a run is over before it is cancelled: 4096 lines compressed
// once and repeated, 2 million lines in all.
TEST_F(WindowTest, CancelKeepsThePreviousCatalogAndCloseEndsACountGoing) {
  const std::string member = Gzip(NumberedSource(4096));
  std::string source;
  for (int i = 0; i < 500; ++i) source += member;
  WriteFile(Path("long.dat.gz"), source);
  window_.m_catalog.m_strSourcePath = Path("long.dat.gz");
  window_.PushTexts();
  Prepare("", "sel.slc");
  WriteFile(Path("sel.slc"), "an older catalog");
  Lines seen;
  int cancelled = 0;
  bool counting = true;
  wxTEST_DIALOG(Send(&window_, IDM_SELECT, wxEVT_MENU), Expect<CSelectionDlg>([&](CSelectionDlg* d) {
                  d->Show();
                  Send(d, IDC_SELECT_START);
                  EXPECT_TRUE(d->IsRunning());
                  Send(d, wxID_CANCEL);  // the Close button reads Cancel while a run works
                  EXPECT_TRUE(RunUntil([d] { return !d->IsRunning(); }));
                  EXPECT_EQ(Preview(d), "Cancelled: no catalog was written, nothing was recorded.");
                  Type(d, IDC_SELECT_H, "20");
                  EXPECT_TRUE(RunUntil([d] { return d->IsCounting(); }));
                  cancelled = d->CancelledCounts();
                  Send(d, wxID_CANCEL);
                  counting = d->IsCounting();
                  cancelled = d->CancelledCounts() - cancelled;
                  return wxID_CANCEL;
                }),
                Message<CSelectionDlg>(seen, wxID_YES));
  EXPECT_EQ(ReadFile(Path("sel.slc")), "an older catalog");
  EXPECT_EQ(Rows(), Lines{});
  EXPECT_FALSE(counting) << "Close waits for the count's thread";
  EXPECT_EQ(cancelled, 1) << "and cancels the count";
}

}  // namespace
}  // namespace orbivane::testing
