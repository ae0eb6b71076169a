// The window services the catalog runs on, provided by the main window's
// controls.
#include <algorithm>

#include <wx/datetime.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "catalog_dlg.h"
#include "message_box.h"
#include "readable_text.h"

namespace orbivane {

void CCatalogDlg::PullTexts() {
  m_catalog.m_strFilter = m_editFilter->GetValue().utf8_string();
  m_catalog.m_strOutputPath = m_editOutput->GetValue().utf8_string();
  m_catalog.m_strSourcePath = m_editSource->GetValue().utf8_string();
  m_catalog.m_strTotal = m_total->GetLabelText().utf8_string();
}

void CCatalogDlg::PushTexts() {
  m_editFilter->ChangeValue(wxString::FromUTF8(m_catalog.m_strFilter));
  m_editOutput->ChangeValue(wxString::FromUTF8(m_catalog.m_strOutputPath));
  m_editSource->ChangeValue(wxString::FromUTF8(m_catalog.m_strSourcePath));
  m_total->SetLabelText(wxString::FromUTF8(m_catalog.m_strTotal));
}

bool CCatalogDlg::TransferDataToWindow() {
  PushTexts();
  return CPatternDlg::TransferDataToWindow();
}

bool CCatalogDlg::TransferDataFromWindow() {
  PullTexts();
  return CPatternDlg::TransferDataFromWindow();
}

void CCatalogDlg::ShowTotal(const std::string& text) {
  const wxString shown = wxString::FromUTF8(text);
  if (m_total->GetLabelText() != shown) m_total->SetLabelText(shown);
  RepaintIfDue();
}

void CCatalogDlg::ShowMessage(const std::string& text) {
  ShowProgress();  // the bar shows where the run stands while the message waits
  const FocusKeeper keep(*this);
  // A message may name a path of a history row, and so hold its bytes.
  ShowMessageBox(*this, wxString::FromUTF8(ReadableUtf8(text)), wxOK | wxICON_EXCLAMATION);
}

void CCatalogDlg::SetProgressRange(int lower, int upper) {
  m_nProgressLower = lower;
  m_nProgressRange = std::max(upper - lower, 1);
  m_progress->SetRange(m_nProgressRange);
  m_progress->SetValue(0);
  m_nProgressPos = m_nProgressShown = 0;
}

// Each position told is a message to the native control, costly on some
// systems and far more often than a screen shows: during work the bar is
// told only when the window is let paint, and once more when the work ends.
void CCatalogDlg::SetProgressPos(int pos) {
  m_nProgressPos = std::clamp(pos - m_nProgressLower, 0, m_nProgressRange);
  if (m_bBusy) {
    RepaintIfDue();
  } else {
    ShowProgress();
  }
}

void CCatalogDlg::ShowProgress() {
  if (m_nProgressPos == m_nProgressShown) return;
  m_progress->SetValue(m_nProgressPos);
  m_nProgressShown = m_nProgressPos;
  ++m_nProgressUpdates;
}

void CCatalogDlg::DeleteAllRows() { m_history->DeleteAllItems(); }

// The history's texts need not be UTF-8 (see readable_text.h); the file keeps their bytes.
void CCatalogDlg::InsertRow(int row, const std::string& text) {
  m_history->InsertItem(row, wxString::FromUTF8(ReadableUtf8(text)));
}

void CCatalogDlg::SetCell(int row, int column, const std::string& text) {
  m_history->SetItem(row, column, wxString::FromUTF8(ReadableUtf8(text)));
}

LocalTime CCatalogDlg::CurrentTime() {
  const wxDateTime::Tm now = wxDateTime::Now().GetTm();
  return LocalTime{now.year, static_cast<int>(now.mon) + 1, now.mday, now.hour, now.min, now.sec};
}

}  // namespace orbivane
