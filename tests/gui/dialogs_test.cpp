// Help and About: how they open (button, F1, menu ids, Alt+A), what they
// show, and that each opening releases its background bitmap and brush.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "about_dlg.h"
#include "gui_test_support.h"
#include "help_dlg.h"
#include "help_text.h"
#include "resource_ids.h"

#ifdef __WXMSW__
#include <windows.h>
#endif

namespace orbivane::testing {
namespace {

using DialogsTest = MainWindowTest;

// What an opened Help dialog held and showed.
struct HelpSeen {
  int openings = 0;
  std::string member;
  std::string shown;
  bool editable = true;
  bool multiLine = false;
  wxWindow* defaultItem = nullptr;
  wxWindow* downloadButton = nullptr;
  std::vector<int> childIds;
  wxSize clientSize;
  wxSize expectedClientSize;
  std::string caption;
};

ExpectDialog<CHelpDlg> ExpectHelp(HelpSeen& seen) {
  return ExpectDialog<CHelpDlg>([&seen](CHelpDlg* help) {
    ++seen.openings;
    help->TransferDataToWindow();  // what showing it does first
    auto* text = dynamic_cast<wxTextCtrl*>(help->FindWindow(IDC_HELP_TEXT));
    seen.member = help->m_strHelpText;
    seen.shown = text != nullptr ? text->GetValue().utf8_string() : "<no help text control>";
    seen.editable = text == nullptr || text->IsEditable();
    seen.multiLine = text != nullptr && text->IsMultiLine();
    seen.defaultItem = help->GetDefaultItem();
    seen.downloadButton = help->FindWindow(IDC_DOWNLOAD_SOURCE);
    seen.childIds.clear();
    for (wxWindow* child : help->GetChildren()) seen.childIds.push_back(child->GetId());
    seen.clientSize = help->GetClientSize();
    seen.expectedClientSize = help->ConvertDialogToPixels(wxSize(239, 155));
    seen.caption = help->GetTitle().utf8_string();
    return static_cast<int>(wxID_CANCEL);
  });
}

TEST_F(DialogsTest, HelpButtonShowsExactlyTheHelpLinesReadOnly) {
  HelpSeen seen;
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectHelp(seen));
  ASSERT_EQ(seen.openings, 1);
  EXPECT_EQ(seen.member, HelpText()) << "the text set is the CR LF text";
  EXPECT_EQ(seen.member.substr(0, 15), "\r\nOrbivane Help");
  EXPECT_EQ(seen.shown, HelpTextForDisplay(HelpText())) << "the field shows the same lines";
  EXPECT_FALSE(seen.editable);
  EXPECT_TRUE(seen.multiLine);
  EXPECT_EQ(seen.caption, "Help");
  EXPECT_EQ(seen.clientSize, seen.expectedClientSize);
}

TEST_F(DialogsTest, HelpDownloadButtonIsDefaultAndFirstInTabOrder) {
  HelpSeen seen;
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectHelp(seen));
  ASSERT_NE(seen.downloadButton, nullptr);
  EXPECT_EQ(seen.defaultItem, seen.downloadButton);
  EXPECT_EQ(seen.childIds, (std::vector<int>{IDC_DOWNLOAD_SOURCE, wxID_CANCEL, IDC_HELP_TEXT}));
}

TEST_F(DialogsTest, HelpOpenedTwiceShowsTheSameText) {
  HelpSeen first;
  HelpSeen second;
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectHelp(first));
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectHelp(second));
  EXPECT_EQ(first.shown, second.shown);
  EXPECT_EQ(second.member, HelpText());
}

TEST_F(DialogsTest, F1OpensTheSameHelp) {
  HelpSeen seen;
  wxCommandEvent f1(wxEVT_MENU, ID_HELP);
  wxTEST_DIALOG(Window().GetEventHandler()->ProcessEvent(f1), ExpectHelp(seen));
  EXPECT_EQ(seen.openings, 1);
  EXPECT_EQ(seen.member, HelpText());
}

struct AboutSeen {
  int openings = 0;
  std::string caption;
  std::vector<std::string> texts;
  wxWindow* defaultItem = nullptr;
  wxWindow* ok = nullptr;
  bool minimizeBox = true;
  wxSize clientSize;
  wxSize expectedClientSize;
};

ExpectDialog<CAboutDlg> ExpectAbout(AboutSeen& seen) {
  return ExpectDialog<CAboutDlg>([&seen](CAboutDlg* about) {
    ++seen.openings;
    seen.caption = about->GetTitle().utf8_string();
    seen.texts.clear();
    for (wxWindow* child : about->GetChildren()) {
      if (dynamic_cast<wxStaticText*>(child) != nullptr) seen.texts.push_back(child->GetLabel().utf8_string());
    }
    seen.defaultItem = about->GetDefaultItem();
    seen.ok = about->FindWindow(wxID_OK);
    seen.minimizeBox = about->HasFlag(wxMINIMIZE_BOX);
    seen.clientSize = about->GetClientSize();
    seen.expectedClientSize = about->ConvertDialogToPixels(wxSize(235, 55));
    return static_cast<int>(wxID_OK);
  });
}

void SendMenuCommand(wxWindow& window, int id) {
  wxCommandEvent command(wxEVT_MENU, id);
  window.GetEventHandler()->ProcessEvent(command);
}

TEST_F(DialogsTest, AboutShowsVersionAndItsTwoLinesWithOkAsDefault) {
  AboutSeen seen;
  wxTEST_DIALOG(SendMenuCommand(Window(), IDM_ABOUTBOX), ExpectAbout(seen));
  ASSERT_EQ(seen.openings, 1);
  EXPECT_EQ(seen.caption, "Orbivane");
  ASSERT_EQ(seen.texts.size(), 3u);
  EXPECT_EQ(seen.texts[0], "Orbivane Version 1.0");
  EXPECT_FALSE(seen.texts[1].empty());
  EXPECT_FALSE(seen.texts[2].empty());
  ASSERT_NE(seen.ok, nullptr);
  EXPECT_EQ(seen.defaultItem, seen.ok);
  EXPECT_FALSE(seen.minimizeBox);
  EXPECT_EQ(seen.clientSize, seen.expectedClientSize);
}

TEST_F(DialogsTest, EveryMenuIdFrom0x10To0x1FOpensAbout) {
  for (int id = IDM_ABOUTBOX; id <= IDM_ABOUTBOX + 0xF; ++id) {
    AboutSeen seen;
    wxTEST_DIALOG(SendMenuCommand(Window(), id), ExpectAbout(seen));
    EXPECT_EQ(seen.openings, 1) << "id " << id;
  }
}

TEST_F(DialogsTest, NeighbouringIdsOpenNothing) {
  wxTEST_DIALOG(Window().OnSysCommand(0x0F); Window().OnSysCommand(0x20); Window().OnSysCommand(0xF060),
                ExpectDialog<wxDialog>([](wxDialog* shown) {
                  ADD_FAILURE() << "a dialog was opened: " << shown->GetTitle().utf8_string();
                  return static_cast<int>(wxID_CANCEL);
                }).Optional());
}

#ifndef __WXMSW__  // Alt+A and the accelerator lookup exist only where About has no window-menu item
TEST_F(DialogsTest, AltAReachesTheAboutCommand) {
  wxKeyEvent altA(wxEVT_KEY_DOWN);
  altA.m_keyCode = 'A';
  altA.SetAltDown(true);
  const int command = Window().GetAcceleratorTable()->GetCommand(altA);
  AboutSeen seen;
  wxTEST_DIALOG(SendMenuCommand(Window(), command), ExpectAbout(seen));
  EXPECT_EQ(seen.openings, 1);
}
#endif

// Opening a dialog a hundred times leaves no bitmap or brush behind: the
// copies taken while each was open become the only owners once it closed.
template <class Dialog>
void ExpectReleasedAfterHundredOpenings(CCatalogDlg& window, const std::function<void()>& open) {
#ifdef __WXMSW__
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
#endif
  std::vector<wxBitmap> bitmaps;
  std::vector<wxBrush> brushes;
  for (int i = 0; i < 100; ++i) {
    wxTEST_DIALOG(open(), ExpectDialog<Dialog>([&](Dialog* dialog) {
                    bitmaps.push_back(dialog->GetBackgroundBitmap());
                    brushes.push_back(dialog->GetBackgroundBrush());
                    return static_cast<int>(wxID_CANCEL);
                  }));
  }
  ASSERT_EQ(bitmaps.size(), 100u);
  for (std::size_t i = 0; i < bitmaps.size(); ++i) {
    ASSERT_TRUE(bitmaps[i].IsOk()) << "opening " << i;
    ASSERT_TRUE(brushes[i].IsOk()) << "opening " << i;
    EXPECT_EQ(brushes[i].GetRefData()->GetRefCount(), 1) << "the dialog of opening " << i << " kept its brush";
    if (i > 0) {
      EXPECT_NE(bitmaps[i].GetRefData(), bitmaps[i - 1].GetRefData()) << "each dialog has its own bitmap";
    }
  }
  brushes.clear();
  for (std::size_t i = 0; i < bitmaps.size(); ++i) {
    EXPECT_EQ(bitmaps[i].GetRefData()->GetRefCount(), 1) << "the dialog of opening " << i << " kept its bitmap";
  }
  bitmaps.clear();
#ifdef __WXMSW__
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
#endif
  (void)window;
}

TEST_F(DialogsTest, HelpOpenedHundredTimesReleasesEachBitmapAndBrush) {
  ExpectReleasedAfterHundredOpenings<CHelpDlg>(Window(), [this] { Click(&Window(), IDC_HELP_BUTTON); });
}

TEST_F(DialogsTest, AboutOpenedHundredTimesReleasesEachBitmapAndBrush) {
  ExpectReleasedAfterHundredOpenings<CAboutDlg>(Window(), [this] { SendMenuCommand(Window(), IDM_ABOUTBOX); });
}

TEST_F(DialogsTest, MainWindowReleasesItsBitmapAndBrushWhenDestroyed) {
  wxBitmap bitmap;
  wxBrush brush;
  {
    CCatalogDlg window;
    bitmap = window.GetBackgroundBitmap();
    brush = window.GetBackgroundBrush();
    EXPECT_EQ(bitmap.GetWidth(), 134);
    EXPECT_EQ(bitmap.GetHeight(), 100);
  }
  EXPECT_EQ(brush.GetRefData()->GetRefCount(), 1);
  brush = wxNullBrush;
  EXPECT_EQ(bitmap.GetRefData()->GetRefCount(), 1);
}

}  // namespace
}  // namespace orbivane::testing

namespace orbivane::testing {
namespace {

// Real key presses on the display, typed while the filter field has the
// focus: the field takes no character and the command runs.
class TypedShortcutTest : public DialogsTest {
 protected:
  wxTextCtrl* FocusFilter() {
    CCatalogDlg& window = Window();
    window.Raise();
    auto* filter = dynamic_cast<wxTextCtrl*>(window.FindWindow(IDC_FILTER));
    if (filter == nullptr) return nullptr;
    // Without a window manager the keyboard follows the pointer.
    input_.MouseMove(filter->GetScreenRect().GetPosition() + wxPoint(5, 5));
    Settle();
    filter->SetFocus();
    Settle();
    return filter;
  }
  static void Settle() {
    for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
  }
  // Types the key and lets the window handle it until `done` holds.
  void Type(int key, int modifiers, const std::function<bool()>& done) {
    input_.Char(key, modifiers);
    for (int i = 0; i < 100 && !done(); ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
  }

 private:
  wxUIActionSimulator input_;
};

#ifndef __WXMSW__  // the background's menu stands in for the window menu, which takes no item there
TEST_F(TypedShortcutTest, RightClickOnTheBackgroundAsksTheDialogForItsMenu) {
  CCatalogDlg& window = Window();
  FocusFilter();
  // Catch the request before the window's own handler would pop the menu up.
  wxObject* askedBy = nullptr;
  window.Bind(wxEVT_CONTEXT_MENU, [&](wxContextMenuEvent& event) { askedBy = event.GetEventObject(); });
  wxUIActionSimulator mouse;
  // Between the two group boxes, where no control is.
  mouse.MouseMove(window.ClientToScreen(window.ConvertDialogToPixels(wxPoint(200, 47))));
  Settle();
  mouse.MouseClick(wxMOUSE_BTN_RIGHT);
  for (int i = 0; i < 100 && askedBy == nullptr; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
  EXPECT_EQ(askedBy, &window);
}
#endif

#ifndef __WXMSW__  // Alt+A and the accelerator lookup exist only where About has no window-menu item
TEST_F(TypedShortcutTest, AltAOpensAbout) {
  wxTextCtrl* filter = FocusFilter();
  ASSERT_NE(filter, nullptr);
  AboutSeen seen;
  wxTEST_DIALOG(Type('a', wxMOD_ALT, [&] { return seen.openings > 0; }), ExpectAbout(seen));
  EXPECT_EQ(seen.openings, 1);
  EXPECT_EQ(filter->GetValue(), "");
}
#endif

#ifndef __WXMSW__  // Wine on a bare X server hands simulated keys to no window
TEST_F(TypedShortcutTest, F1OpensHelp) {
  wxTextCtrl* filter = FocusFilter();
  ASSERT_NE(filter, nullptr);
  HelpSeen seen;
  wxTEST_DIALOG(Type(WXK_F1, wxMOD_NONE, [&] { return seen.openings > 0; }), ExpectHelp(seen));
  EXPECT_EQ(seen.openings, 1);
  EXPECT_EQ(filter->GetValue(), "");
}
#endif

}  // namespace
}  // namespace orbivane::testing
