// The controls of the selection dialog, in tab order, every rectangle in
// dialog units. The group boxes come first, so that the controls inside them
// lie above them on every system.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/gauge.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "resource_ids.h"
#include "selection_dlg.h"

namespace orbivane {

namespace {

// The check boxes, in the order of their ids: the classes, then the groups.
constexpr const char* kClassLabels[] = {
    "Atira",          "Aten",           "Apollo",          "Amor",           "Mars-crosser",
    "Inner main belt", "Main belt",     "Outer main belt", "Jupiter trojan", "Centaur",
    "Trans-Neptunian", "Other",         "Near-Earth group", "Hungaria group", "Hilda group"};
static_assert(std::size(kClassLabels) == sky::kOrbitClassCount + sky::kOrbitGroupCount);

wxTextCtrl* AddEdit(wxWindow* parent, int id, const wxRect& rect, const char* tip, long style = 0) {
  auto* edit = new wxTextCtrl(parent, id, wxEmptyString, rect.GetPosition(), rect.GetSize(), style | wxBORDER_SIMPLE);
  if (tip != nullptr) edit->SetToolTip(wxString::FromUTF8(tip));
  return edit;
}

}  // namespace

void CSelectionDlg::CreateControls() {
  const auto box = [this](const char* text, const wxRect& rect) {
    new wxStaticBox(this, wxID_ANY, text, rect.GetPosition(), rect.GetSize());
  };
  box("Brightness", DluRect(7, 4, 318, 48));
  box("Orbit classes (none checked: every class)", DluRect(7, 76, 318, 64));

  const wxDateTime today = wxDateTime::Today();
  const auto picker = [this](int id, const wxDateTime& day, const wxRect& rect) {
    new wxDatePickerCtrl(this, id, day, rect.GetPosition(), rect.GetSize(), wxDP_DROPDOWN | wxDP_SHOWCENTURY);
  };
  AddLabel("From :", DluRect(13, 19, 30, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  picker(IDC_SELECT_FROM, today, DluRect(45, 16, 72, 14));
  AddLabel("to :", DluRect(123, 19, 14, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  picker(IDC_SELECT_TO, today + wxDateSpan::Days(29), DluRect(139, 16, 72, 14));
  AddLabel("(both days included)", DluRect(217, 19, 90, 8), wxALIGN_LEFT);
  AddLabel("Magnitude at most :", DluRect(13, 37, 68, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_MAGNITUDE, DluRect(83, 35, 30, 12),
          "The brightest the asteroid gets on a day of the window, as predicted V magnitude.\n"
          "Empty: no brightness criterion.");
  AddLabel("Solar elongation at least :", DluRect(125, 37, 94, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_ELONGATION, DluRect(221, 35, 30, 12),
          "Days on which the asteroid stands closer to the Sun in the sky do not count.")
      ->ChangeValue("0");
  AddLabel("degrees", DluRect(255, 37, 34, 8), wxALIGN_LEFT);

  AddLabel("H at most :", DluRect(13, 60, 40, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_H, DluRect(55, 58, 30, 12), "The absolute magnitude H at most this.\nEmpty: any H.");
  AddLabel("Keep at most :", DluRect(125, 60, 50, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_MAX, DluRect(177, 58, 34, 12),
          "1 to 30000. When more pass, the brightest are kept (without a magnitude limit, those of smallest H).")
      ->ChangeValue(std::to_string(kMaxKept));
  AddLabel("asteroids", DluRect(215, 60, 36, 8), wxALIGN_LEFT);

  for (int i = 0; i < static_cast<int>(std::size(kClassLabels)); ++i) {
    const wxRect rect = DluRect(13 + 77 * (i % 4), 89 + 12 * (i / 4), 75, 10);
    new wxCheckBox(this, IDC_SELECT_CLASS + i, kClassLabels[i], rect.GetPosition(), rect.GetSize());
  }

  AddLabel("Names :", DluRect(13, 149, 38, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_NAMES, DluRect(53, 147, 272, 12),
          "Numbers, names or designations, separated by commas: Ceres, 433, 2024 YR4.\nEmpty: any asteroid.");
  AddLabel("Filter :", DluRect(13, 165, 38, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddEdit(this, IDC_SELECT_FILTER, DluRect(53, 163, 272, 12),
          "Ranges of line numbers of the source, as in the main window: 1-1000, 1004-5000.\nEmpty: every line.");
  AddLabel("File name :", DluRect(13, 181, 38, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  m_editOutput = AddEdit(this, IDC_SELECT_OUTPUT, DluRect(53, 179, 245, 12), nullptr, wxTE_READONLY);
  const wxRect browseRect = DluRect(303, 179, 22, 13);
  new wxButton(this, IDC_SELECT_BROWSE, "...", browseRect.GetPosition(), browseRect.GetSize());

  m_preview = AddEdit(this, IDC_SELECT_PREVIEW, DluRect(7, 198, 318, 46), nullptr,
                      wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL);
  AddLabel(wxEmptyString, DluRect(7, 248, 318, 18), wxALIGN_LEFT)->SetId(IDC_SELECT_AGE);
  const wxRect gaugeRect = DluRect(7, 273, 202, 9);
  m_gauge = new wxGauge(this, IDC_SELECT_GAUGE, kGaugeRange, gaugeRect.GetPosition(), gaugeRect.GetSize(),
                        wxGA_HORIZONTAL | wxGA_SMOOTH);
  const wxRect startRect = DluRect(219, 270, 50, 14);
  auto* start = new wxButton(this, IDC_SELECT_START, "&Start", startRect.GetPosition(), startRect.GetSize());
  start->SetDefault();
  const wxRect closeRect = DluRect(275, 270, 50, 14);
  m_closeButton = new wxButton(this, wxID_CANCEL, "Close", closeRect.GetPosition(), closeRect.GetSize());
}

}  // namespace orbivane
