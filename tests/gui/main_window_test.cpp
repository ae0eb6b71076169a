// The main window as built: its controls in template order with their ids,
// captions and rectangles in dialog units, the tab order, the default
// button, the read-only path fields, the frame and the history columns.
#include <wx/accel.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "gui_test_support.h"
#include "resource_ids.h"

namespace orbivane::testing {
namespace {

enum class Kind { kEdit, kButton, kLabel, kField, kGroup, kList, kProgress };

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kEdit: return "edit";
    case Kind::kButton: return "button";
    case Kind::kLabel: return "label";
    case Kind::kField: return "static field";
    case Kind::kGroup: return "group box";
    case Kind::kList: return "list";
    case Kind::kProgress: return "progress bar";
  }
  return "?";
}

Kind KindOf(wxWindow* window) {
  if (dynamic_cast<wxTextCtrl*>(window)) return Kind::kEdit;
  if (dynamic_cast<wxButton*>(window)) return Kind::kButton;
  if (dynamic_cast<wxStaticBox*>(window)) return Kind::kGroup;
  if (dynamic_cast<wxStaticText*>(window)) return Kind::kLabel;
  if (dynamic_cast<wxListCtrl*>(window)) return Kind::kList;
  if (dynamic_cast<wxGauge*>(window)) return Kind::kProgress;
  if (dynamic_cast<wxPanel*>(window)) return Kind::kField;
  return Kind::kField;
}

struct TemplateControl {
  int id;
  Kind kind;
  const char* text;
  int x, y, width, height;
};

// The main template, control by control.
const TemplateControl kMainTemplate[] = {
    {IDC_SOURCE, Kind::kEdit, "", 13, 20, 260, 12},
    {IDC_BROWSE_SOURCE, Kind::kButton, "...", 277, 20, 22, 13},
    {IDC_STATIC, Kind::kLabel, "Total :", 307, 23, 21, 9},
    {IDC_TOTAL, Kind::kField, "", 330, 21, 31, 12},
    {IDC_FILTER, Kind::kEdit, "", 49, 65, 313, 12},
    {IDC_OUTPUT, Kind::kEdit, "", 49, 86, 286, 12},
    {IDC_BROWSE_OUTPUT, Kind::kButton, "...", 340, 86, 22, 13},
    {IDC_START, Kind::kButton, "&Start", 13, 105, 31, 14},
    {IDC_HISTORY, Kind::kList, "", 7, 141, 363, 75},
    {IDC_CLEAR_HISTORY, Kind::kButton, "Clear &History", 7, 225, 50, 14},
    {IDC_HELP_BUTTON, Kind::kButton, "&Help", 66, 225, 50, 14},
    {IDC_DOWNLOAD_CATALOGS, Kind::kButton, "&Download compiled catalogs...", 124, 225, 115, 14},
    {wxID_OK, Kind::kButton, "E&xit", 320, 225, 50, 14},
    {IDC_STATIC, Kind::kGroup, "Source Catalog", 7, 7, 363, 36},
    {IDC_STATIC, Kind::kGroup, "New Skyloom Catalog", 7, 52, 363, 75},
    {IDC_STATIC, Kind::kLabel, "File name :", 13, 88, 35, 9},
    {IDC_PROGRESS, Kind::kProgress, "", 49, 111, 312, 9},
    {IDC_STATIC, Kind::kLabel, "Filter :", 28, 68, 20, 9},
};

using MainWindowLayoutTest = MainWindowTest;

TEST_F(MainWindowLayoutTest, EveryControlInTemplateOrderWithIdCaptionAndPlace) {
  CCatalogDlg& window = Window();
  const wxWindowList& children = window.GetChildren();
  ASSERT_EQ(children.size(), std::size(kMainTemplate));
  std::size_t i = 0;
  for (wxWindow* child : children) {
    const TemplateControl& expected = kMainTemplate[i++];
    SCOPED_TRACE(std::string("control ") + std::to_string(i) + " (" + KindName(expected.kind) + " \"" +
                 expected.text + "\")");
    EXPECT_EQ(KindName(KindOf(child)), std::string(KindName(expected.kind)));
    const wxRect du(window.ConvertDialogToPixels(wxPoint(expected.x, expected.y)),
                    window.ConvertDialogToPixels(wxSize(expected.width, expected.height)));
    const wxRect got = child->GetRect();
    if (expected.kind == Kind::kField) {
      // The Total: an edged frame around the label that carries the id.
      ASSERT_EQ(child->GetChildren().size(), 1u);
      EXPECT_EQ(child->GetChildren().front()->GetId(), expected.id);
      EXPECT_EQ(got, du);
      continue;
    }
    if (expected.id != IDC_STATIC) {
      EXPECT_EQ(child->GetId(), expected.id);
    } else {
      EXPECT_LT(child->GetId(), 0) << "unnamed controls get the toolkit's ids";
    }
    if (expected.kind == Kind::kButton || expected.kind == Kind::kGroup || expected.kind == Kind::kLabel) {
      EXPECT_EQ(child->GetLabel().utf8_string(), expected.text);
    }
    if (expected.kind == Kind::kLabel) {
      // A caption wider in this desktop's font than in the template keeps
      // its right edge at the field it names.
      EXPECT_EQ(got.y, du.y);
      EXPECT_EQ(got.height, du.height);
      EXPECT_EQ(got.GetRight(), std::max(du.GetRight(), got.GetRight()));
      EXPECT_GE(got.width, du.width);
      EXPECT_LE(got.x, du.x);
    } else {
      EXPECT_EQ(got, du) << "Expected " << du.x << "," << du.y << " " << du.width << "x" << du.height << ", got "
                         << got.x << "," << got.y << " " << got.width << "x" << got.height;
    }
  }
}

TEST_F(MainWindowLayoutTest, TabOrderIsTheTemplateOrderOfTheTabStops) {
  std::vector<int> got;
  for (wxWindow* child : Window().GetChildren()) {
    if (child->AcceptsFocusFromKeyboard()) got.push_back(child->GetId());
  }
  const std::vector<int> expected = {IDC_SOURCE,        IDC_BROWSE_SOURCE, IDC_FILTER,      IDC_OUTPUT,
                                     IDC_BROWSE_OUTPUT, IDC_START,         IDC_HISTORY,     IDC_CLEAR_HISTORY,
                                     IDC_HELP_BUTTON,   IDC_DOWNLOAD_CATALOGS, wxID_OK};
  EXPECT_EQ(got, expected);
}

TEST_F(MainWindowLayoutTest, ExitIsTheDefaultButton) {
  wxWindow* exit = Window().FindWindow(wxID_OK);
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(Window().GetDefaultItem(), exit);
  EXPECT_EQ(exit->GetLabel(), "E&xit");
}

TEST_F(MainWindowLayoutTest, PathFieldsAreReadOnlyAndTheFilterIsNot) {
  struct Field {
    int id;
    bool editable;
  };
  for (const Field field : {Field{IDC_SOURCE, false}, Field{IDC_OUTPUT, false}, Field{IDC_FILTER, true}}) {
    auto* edit = dynamic_cast<wxTextCtrl*>(Window().FindWindow(field.id));
    ASSERT_NE(edit, nullptr) << field.id;
    EXPECT_EQ(edit->IsEditable(), field.editable) << "control " << field.id;
  }
}

TEST_F(MainWindowLayoutTest, FrameHasCaptionMinimiseAndCloseButNoMaximiseOrSizingBorder) {
  CCatalogDlg& window = Window();
  EXPECT_EQ(window.GetTitle(), "Orbivane");
  EXPECT_TRUE(window.HasFlag(wxCAPTION));
  EXPECT_TRUE(window.HasFlag(wxMINIMIZE_BOX));
  EXPECT_TRUE(window.HasFlag(wxCLOSE_BOX));
  EXPECT_FALSE(window.HasFlag(wxMAXIMIZE_BOX));
  EXPECT_FALSE(window.HasFlag(wxRESIZE_BORDER));
  EXPECT_EQ(window.GetClientSize(), window.ConvertDialogToPixels(wxSize(377, 246)));
  EXPECT_EQ(window.GetTemplateId(), IDD_MAIN);
}

TEST_F(MainWindowLayoutTest, HistoryHasFourLeftAlignedColumnsWithTheirWidthsAndNoSortingHeader) {
  auto* list = dynamic_cast<wxListCtrl*>(Window().FindWindow(IDC_HISTORY));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->HasFlag(wxLC_REPORT));
  EXPECT_TRUE(list->HasFlag(wxLC_NO_SORT_HEADER));
  struct Column {
    const char* heading;
    int width;
  };
  const Column expected[] = {{"Date/Time", 130}, {"Catalog File", 300}, {"Filter", 300}, {"Number", 70}};
  ASSERT_EQ(list->GetColumnCount(), 4);
  for (int column = 0; column < 4; ++column) {
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT | wxLIST_MASK_WIDTH);
    ASSERT_TRUE(list->GetColumn(column, item));
    EXPECT_EQ(item.GetText().utf8_string(), expected[column].heading) << "column " << column;
    EXPECT_EQ(list->GetColumnWidth(column), expected[column].width) << "column " << column;
    EXPECT_EQ(item.GetAlign(), wxLIST_FORMAT_LEFT) << "column " << column;
  }
}

TEST_F(MainWindowLayoutTest, ProgressBarIsSmoothAndTotalStartsEmpty) {
  auto* progress = dynamic_cast<wxGauge*>(Window().FindWindow(IDC_PROGRESS));
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->HasFlag(wxGA_SMOOTH));
  EXPECT_EQ(TextOf(IDC_TOTAL), "");
  EXPECT_EQ(TextOf(IDC_SOURCE), "");
  EXPECT_EQ(TextOf(IDC_OUTPUT), "");
  EXPECT_EQ(TextOf(IDC_FILTER), "");
}

TEST_F(MainWindowLayoutTest, WindowCarriesTheProgramIconInTwoSizes) {
  const wxIconBundle icons = Window().GetIcons();
  ASSERT_EQ(icons.GetIconCount(), 2u);
  EXPECT_EQ(icons.GetIcon(wxSize(16, 16), wxIconBundle::FALLBACK_NONE).GetWidth(), 16);
  EXPECT_EQ(icons.GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NONE).GetWidth(), 32);
}

#ifndef __WXMSW__  // Alt+A and the accelerator lookup exist only where About has no window-menu item
wxKeyEvent Key(int code, bool ctrl, bool alt, bool shift) {
  wxKeyEvent key(wxEVT_KEY_DOWN);
  key.m_keyCode = code;
  key.SetControlDown(ctrl);
  key.SetAltDown(alt);
  key.SetShiftDown(shift);
  return key;
}

TEST_F(MainWindowLayoutTest, ShortcutsAreF1ForHelpAndAltAForAboutAndClashWithNoEditKey) {
  const wxAcceleratorTable* keys = Window().GetAcceleratorTable();
  ASSERT_NE(keys, nullptr);
  struct Case {
    const char* name;
    wxKeyEvent key;
    int command;
  };
  const Case cases[] = {
      {"F1", Key(WXK_F1, false, false, false), ID_HELP},
      {"Alt+A", Key('A', false, true, false), IDM_ABOUTBOX},
      {"Ctrl+A select all", Key('A', true, false, false), -1},
      {"Ctrl+C copy", Key('C', true, false, false), -1},
      {"Ctrl+V paste", Key('V', true, false, false), -1},
      {"Ctrl+X cut", Key('X', true, false, false), -1},
      {"Ctrl+Z undo", Key('Z', true, false, false), -1},
      {"Ctrl+Shift+Z redo", Key('Z', true, false, true), -1},
      {"Ctrl+Shift+A select none", Key('A', true, false, true), -1},
      {"plain A typed in the filter", Key('A', false, false, false), -1},
      {"Alt+S Start", Key('S', false, true, false), -1},
      {"Alt+H Help and Clear History", Key('H', false, true, false), -1},
      {"Alt+D Download", Key('D', false, true, false), -1},
      {"Alt+X Exit", Key('X', false, true, false), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(keys->GetCommand(c.key), c.command) << c.name;
}
#endif

TEST_F(MainWindowLayoutTest, BackgroundMenuOffersAbout) {
  const std::unique_ptr<wxMenu> menu = Window().MakeAboutMenu();
  ASSERT_EQ(menu->GetMenuItemCount(), 1u);
  EXPECT_EQ(menu->FindItemByPosition(0)->GetId(), IDM_ABOUTBOX);
  EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabel(), "&About Orbivane...");
}

TEST(AboutCommandIdTest, LowFourBitsAreIgnored) {
  for (unsigned id = 0; id < 0x40; ++id) {
    EXPECT_EQ(IsAboutCommand(id), id >= 0x10 && id <= 0x1F) << "id 0x" << std::hex << id;
  }
  EXPECT_FALSE(IsAboutCommand(0xF010));  // a window-system command with the same low bits
}

}  // namespace
}  // namespace orbivane::testing
