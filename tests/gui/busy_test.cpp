// While Start or the Total count works, the window refuses every other
// command and all input, yet is let repaint now and then.
#include <wx/gauge.h>

#include "gui_test_support.h"
#include "resource_ids.h"

namespace orbivane::testing {
namespace {

class BusyTest : public MainWindowTest {
 protected:
  void PrepareBigSource(int lines) {
    WriteFile(Path("big.dat"), NumberedSource(lines));
  }
};

TEST_F(BusyTest, NoOtherCommandRunsWhileAStartIsWorking) {
  PrepareBigSource(30001);
  ChooseSource(Path("big.dat"));
  WriteFile(Path("history"), "");  // an empty history: Clear History would delete it
  SetFilter("1-30001");
  ChooseOutput(Path("big.slc"));
  const int repaintsBefore = Window().RepaintCount();

  // The cap message comes in the middle of the run: try everything there.
  bool busy = false;
  bool enabled = true;
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_START), ExpectDialog<wxMessageDialog>([&](wxMessageDialog* box) {
                  seen.push_back({box->GetMessage().utf8_string(), "", 0});
                  busy = Window().IsBusy();
                  enabled = Window().IsEnabled();
                  Click(&Window(), IDC_CLEAR_HISTORY);
                  Click(&Window(), IDC_HELP_BUTTON);
                  Click(&Window(), IDC_BROWSE_SOURCE);
                  Click(&Window(), IDC_START);
                  SendCommand(Window(), wxID_CANCEL);  // Escape
                  Click(&Window(), wxID_OK);
                  wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX);
                  Window().GetEventHandler()->ProcessEvent(about);
                  Window().Close();
                  return static_cast<int>(wxID_OK);
                }));
  ASSERT_EQ(seen.size(), 1u) << "only the cap message; the other commands opened nothing";
  EXPECT_TRUE(busy);
  EXPECT_FALSE(enabled) << "input to the window is off while it works";
  EXPECT_TRUE(FileExists(Path("history"))) << "Clear History did not run";
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_TRUE(Window().IsShown()) << "Exit, Escape and the close box did nothing";
  EXPECT_FALSE(Window().IsBusy());
  EXPECT_TRUE(Window().IsEnabled());
  EXPECT_GT(Window().RepaintCount(), repaintsBefore) << "the window was let paint during the run";
}

TEST_F(BusyTest, CountingAPaintsSeldomAndEndsWithTheExactTotal) {
  PrepareBigSource(30001);
  Window();
  const int before = Window().RepaintCount();
  ChooseSource(Path("big.dat"));
  const int repaints = Window().RepaintCount() - before;
  EXPECT_GE(repaints, 1);
  EXPECT_LT(repaints, 3000) << "never once per line";
  EXPECT_EQ(TextOf(IDC_TOTAL), "30001 ");
  EXPECT_FALSE(Window().IsBusy());
  EXPECT_TRUE(Window().IsEnabled());
}

TEST_F(BusyTest, ProgressBarEndsFullAfterARun) {
  PrepareBigSource(2000);
  ChooseSource(Path("big.dat"));
  SetFilter("1-2000");
  ChooseOutput(Path("out.slc"));
  Click(&Window(), IDC_START);
  auto* progress = dynamic_cast<wxGauge*>(Window().FindWindow(IDC_PROGRESS));
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->GetRange(), 200);
  EXPECT_EQ(progress->GetValue(), 200);
}

TEST_F(BusyTest, ProgressPositionsOutsideTheRangeAreHeldAtItsEnds) {
  CCatalogDlg& window = Window();
  auto* progress = dynamic_cast<wxGauge*>(window.FindWindow(IDC_PROGRESS));
  ASSERT_NE(progress, nullptr);
  window.SetProgressRange(0, 65535);
  EXPECT_EQ(progress->GetRange(), 65535);
  window.SetProgressPos(70000);
  EXPECT_EQ(progress->GetValue(), 65535);
  window.SetProgressPos(-5);
  EXPECT_EQ(progress->GetValue(), 0);
}

}  // namespace
}  // namespace orbivane::testing
