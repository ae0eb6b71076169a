// The controls of the main window, in template order: the order is also the
// tab order, and every rectangle is in dialog units.
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "catalog_dlg.h"
#include "resource_ids.h"
#include "ui_texts.h"

namespace orbivane {

namespace {

// A tab stop even when read-only, as every edit field of the dialog template
// is; the Windows toolkit leaves read-only fields out of Tab otherwise.
class EditField : public wxTextCtrl {
 public:
  using wxTextCtrl::wxTextCtrl;
  bool AcceptsFocusFromKeyboard() const override { return wxControl::AcceptsFocusFromKeyboard(); }
};

// The history list. On GTK it is wxWidgets' own list control, whose column
// headings are a window of their own above the rows, drawn at the rows'
// horizontal scroll offset. Its scroll handler repaints them at once, but
// before the offset changes: after a wheel turn or a step of the scroll bar
// they would stay where the rows were (only the end of a drag repaints them
// again), and back at the start the first heading would read "e/Time". The
// new offset is set here, whether the scroll bar or Scroll() moved it, so the
// list is repainted from here, once the offset holds (the whole list: the
// headings' window is a class of the toolkit's own, out of reach).
class HistoryList : public wxListCtrl {
 public:
  using wxListCtrl::wxListCtrl;
#if !defined(__WXMSW__) && !defined(__WXQT__)  // where wxListCtrl is the generic one
  void SetScrollPos(int orient, int pos, bool refresh = true) override {
    wxListCtrl::SetScrollPos(orient, pos, refresh);
    if (orient == wxHORIZONTAL) Refresh();
  }
#endif
};

wxTextCtrl* AddEdit(wxWindow* parent, int id, const wxRect& rect, long style) {
  return new EditField(parent, id, wxEmptyString, rect.GetPosition(), rect.GetSize(), style | wxBORDER_SIMPLE);
}

wxButton* AddButton(wxWindow* parent, int id, const wxString& text, const wxRect& rect) {
  return new wxButton(parent, id, text, rect.GetPosition(), rect.GetSize());
}

void AddGroupBox(wxWindow* parent, const wxString& text, const wxRect& rect) {
  new wxStaticBox(parent, IDC_STATIC, text, rect.GetPosition(), rect.GetSize());
}

}  // namespace

void CCatalogDlg::CreateControls() {
  m_editSource = AddEdit(this, IDC_SOURCE, DluRect(13, 20, 260, 12), wxTE_READONLY);
  wxButton* browseSource = AddButton(this, IDC_BROWSE_SOURCE, "...", DluRect(277, 20, 22, 13));
  browseSource->SetToolTip(wxString::FromUTF8(kBrowseSourceTip));
  // The Total shows every count up to 99,999,999 and its blank: where this
  // desktop's font needs more room, the field widens into the free space on
  // its left and its caption moves with it.
  wxStaticText* totalCaption = AddLabel("Total :", DluRect(307, 23, 21, 9), wxALIGN_LEFT, LabelGrowth::kLeftward);
  const wxRect totalRect = DluRect(330, 21, 31, 12);
  m_total = AddStaticField(IDC_TOTAL, totalRect, wxALIGN_RIGHT, "99999999 ");
  const int widened = m_total->GetParent()->GetSize().x - totalRect.width;
  totalCaption->Move(totalCaption->GetPosition() - wxPoint(widened, 0));
  // Where the caption then comes closer than 2 units to the "..." button, the
  // button and the path field give way.
  const int clash = browseSource->GetRect().GetRight() + 1 + DluRect(0, 0, 2, 0).width - totalCaption->GetPosition().x;
  if (clash > 0) {
    browseSource->Move(browseSource->GetPosition() - wxPoint(clash, 0));
    m_editSource->SetSize(m_editSource->GetSize() - wxSize(clash, 0));
  }
  m_editFilter = AddEdit(this, IDC_FILTER, DluRect(49, 65, 313, 12), 0);
  m_editFilter->SetToolTip(wxString::FromUTF8(kFilterTip));
  m_editOutput = AddEdit(this, IDC_OUTPUT, DluRect(49, 86, 286, 12), wxTE_READONLY);
  AddButton(this, IDC_BROWSE_OUTPUT, "...", DluRect(340, 86, 22, 13));
  AddButton(this, IDC_START, "&Start", DluRect(13, 105, 31, 14));
  const wxRect historyRect = DluRect(7, 141, 363, 75);
  m_history = new HistoryList(this, IDC_HISTORY, historyRect.GetPosition(), historyRect.GetSize(),
                              wxLC_REPORT | wxLC_NO_SORT_HEADER | wxBORDER_SIMPLE);
  AddButton(this, IDC_CLEAR_HISTORY, "Clear &History", DluRect(7, 225, 50, 14));
  AddButton(this, IDC_HELP_BUTTON, "&Help", DluRect(66, 225, 50, 14));
  AddButton(this, IDC_DOWNLOAD_CATALOGS, "&Download compiled catalogs...", DluRect(124, 225, 115, 14));
  AddButton(this, wxID_OK, "E&xit", DluRect(320, 225, 50, 14))->SetDefault();
  AddGroupBox(this, "Source Catalog", DluRect(7, 7, 363, 36));
  AddGroupBox(this, "New Skyloom Catalog", DluRect(7, 52, 363, 75));
  AddLabel("File name :", DluRect(13, 88, 35, 9), wxALIGN_LEFT, LabelGrowth::kLeftward);
  const wxRect progressRect = DluRect(49, 111, 312, 9);
  m_progress = new wxGauge(this, IDC_PROGRESS, 100, progressRect.GetPosition(), progressRect.GetSize(),
                           wxGA_HORIZONTAL | wxGA_SMOOTH);
  AddLabel("Filter :", DluRect(28, 68, 20, 9), wxALIGN_LEFT, LabelGrowth::kLeftward);
}

void CCatalogDlg::CreateHistoryColumns() {
  // The widths are pixels of the window's design font, whose dialog base
  // unit is 6 pixels wide; they grow with this window's font, so that each
  // column holds what it was made for ("12/31/2026 23:59:59" in the first).
  constexpr int kDesignBaseUnitX = 6;
  const int baseUnitX = ConvertDialogToPixels(wxSize(4, 0)).x;
  const auto scaled = [baseUnitX](int width) {
    return (width * baseUnitX + kDesignBaseUnitX / 2) / kDesignBaseUnitX;
  };
  m_history->InsertColumn(0, "Date/Time", wxLIST_FORMAT_LEFT, scaled(130));
  m_history->InsertColumn(1, "Catalog File", wxLIST_FORMAT_LEFT, scaled(300));
  m_history->InsertColumn(2, "Filter", wxLIST_FORMAT_LEFT, scaled(300));
  m_history->InsertColumn(3, "Number", wxLIST_FORMAT_LEFT, scaled(70));
}

}  // namespace orbivane
