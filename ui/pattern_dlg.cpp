#include "pattern_dlg.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include "resources.h"

namespace orbivane {

namespace {

long DialogStyle(bool minimizeBox) {
  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
  if (minimizeBox) style |= wxMINIMIZE_BOX;
  return style;
}

// The edged frame of a read-only field: it never takes the focus.
class FieldFrame : public wxPanel {
 public:
  FieldFrame(wxWindow* parent, const wxRect& rect)
      : wxPanel(parent, wxID_ANY, rect.GetPosition(), rect.GetSize(), wxBORDER_SUNKEN) {}
  bool AcceptsFocus() const override { return false; }
  bool AcceptsFocusFromKeyboard() const override { return false; }
};

}  // namespace

CPatternDlg::CPatternDlg(int templateId, wxWindow* parent, const wxString& caption, wxSize sizeDu,
                         bool minimizeBox)
    : wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, DialogStyle(minimizeBox)),
      m_nTemplateId(templateId),
      m_bmpBackground(LoadBackgroundBitmap()) {
  if (m_bmpBackground.IsOk()) m_brBackground = wxBrush(m_bmpBackground);
  // The whole client area is painted here, so the toolkit need not erase it.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CPatternDlg::OnPaint, this);
  SetClientSize(ConvertDialogToPixels(sizeDu));
}

CPatternDlg::~CPatternDlg() {
  // The brush holds a reference to the bitmap; release it first.
  m_brBackground = wxNullBrush;
  m_bmpBackground = wxNullBitmap;
}

wxRect CPatternDlg::DluRect(int x, int y, int width, int height) {
  return wxRect(ConvertDialogToPixels(wxPoint(x, y)), ConvertDialogToPixels(wxSize(width, height)));
}

wxStaticText* CPatternDlg::AddLabel(const wxString& text, const wxRect& rect, long style, LabelGrowth growth) {
  auto* label = new wxStaticText(this, wxID_ANY, text, rect.GetPosition(), rect.GetSize(),
                                 style | wxST_NO_AUTORESIZE);
  const int needed = label->GetBestSize().x;
  if (needed > rect.width) {
    wxRect fitted = rect;
    fitted.width = needed;
    if (growth == LabelGrowth::kLeftward) fitted.x = std::max(0, rect.GetRight() + 1 - needed);
    label->SetSize(fitted);
  }
  return label;
}

wxStaticText* CPatternDlg::AddStaticField(int id, const wxRect& rect, long style, const wxString& widest) {
  // A label of this toolkit draws neither an edge nor a background of its
  // own, so the field is a sunken panel with the text centred vertically in it.
  auto* frame = new FieldFrame(this, rect);
  frame->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  auto* field = new wxStaticText(frame, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 style | wxST_NO_AUTORESIZE);
  // The text keeps 2 pixels from each side of the frame's inside.
  const int needed = field->GetTextExtent(widest).x + 4 + frame->GetSize().x - frame->GetClientSize().x;
  if (needed > rect.width) frame->SetSize(rect.GetRight() + 1 - needed, rect.y, needed, rect.height);
  const wxSize inside = frame->GetClientSize();
  const int height = std::min(field->GetBestSize().y, inside.y);
  field->SetSize(2, (inside.y - height) / 2, std::max(inside.x - 4, 0), height);
  return field;
}

void CPatternDlg::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  if (m_brBackground.IsOk()) {
    dc.SetBrush(m_brBackground);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, size.x, size.y);
  } else {
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
  }
}

}  // namespace orbivane
