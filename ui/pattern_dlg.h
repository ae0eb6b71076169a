// The base of every dialog of the program: a fixed-size dialog laid out in
// dialog units, whose background is the IDB_BACKGROUND bitmap repeated over
// the whole client area.
#pragma once

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/dialog.h>

class wxPaintEvent;
class wxStaticText;

namespace orbivane {

class CPatternDlg : public wxDialog {
 public:
  // `templateId` names the dialog; `sizeDu` is its client size in dialog
  // units. The caption bar has a close box and, when asked, a minimise box;
  // there is never a maximise box or a sizing border.
  CPatternDlg(int templateId, wxWindow* parent, const wxString& caption, wxSize sizeDu, bool minimizeBox);
  ~CPatternDlg() override;

  int GetTemplateId() const { return m_nTemplateId; }

  // The dialog's own background brush (not valid when the bitmap failed to load).
  const wxBrush& GetBackgroundBrush() const { return m_brBackground; }

 protected:
  // A rectangle given in dialog units, in pixels of this dialog.
  wxRect DluRect(int x, int y, int width, int height);
  // Where a label whose text is wider than its rectangle in this desktop's
  // font takes the room: a caption in front of a field keeps its right edge
  // there, any other label keeps its left edge.
  enum class LabelGrowth { kLeftward, kRightward };
  // A label drawn straight on the dialog's background.
  wxStaticText* AddLabel(const wxString& text, const wxRect& rect, long style,
                         LabelGrowth growth = LabelGrowth::kRightward);
  // A read-only text field made of a label (the Total): the standard colours
  // instead of the pattern, and an edge. Where `widest` needs more room in
  // this desktop's font, the field widens to the left of `rect`.
  wxStaticText* AddStaticField(int id, const wxRect& rect, long style, const wxString& widest = wxString());

 private:
  void OnPaint(wxPaintEvent& event);

  const int m_nTemplateId;
  // Each dialog object owns its pair; both go with the dialog.
  wxBitmap m_bmpBackground;
  wxBrush m_brBackground;
};

}  // namespace orbivane
