#include "help_dlg.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "browser.h"
#include "help_text.h"
#include "resource_ids.h"
#include "web_addresses.h"

namespace orbivane {

CHelpDlg::CHelpDlg(wxWindow* parent) : CPatternDlg(IDD_HELP, parent, "Help", wxSize(239, 155), false) {
  const wxRect downloadRect = DluRect(7, 134, 87, 14);
  auto* download = new wxButton(this, IDC_DOWNLOAD_SOURCE, "&Download astorb.dat ...",
                                downloadRect.GetPosition(), downloadRect.GetSize());
  download->SetDefault();
  const wxRect closeRect = DluRect(182, 134, 50, 14);
  new wxButton(this, wxID_CANCEL, "&Close", closeRect.GetPosition(), closeRect.GetSize());
  const wxRect textRect = DluRect(7, 7, 225, 119);
  m_helpText = new wxTextCtrl(this, IDC_HELP_TEXT, wxEmptyString, textRect.GetPosition(), textRect.GetSize(),
                              wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL | wxBORDER_SIMPLE);
  download->SetFocus();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDownloadSource(); }, IDC_DOWNLOAD_SOURCE);
  // Enter means the default button even inside the text.
  m_helpText->Bind(wxEVT_KEY_DOWN, &CHelpDlg::OnHelpTextKey, this);
}

bool CHelpDlg::TransferDataToWindow() {
  m_helpText->ChangeValue(wxString::FromUTF8(HelpTextForDisplay(m_strHelpText)));
  m_helpText->SetInsertionPoint(0);
  return CPatternDlg::TransferDataToWindow();
}

void CHelpDlg::OnDownloadSource() { OpenUrlInBrowser(kAstorbDocumentationUrl); }

void CHelpDlg::OnHelpTextKey(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER) {
    OnDownloadSource();
    return;
  }
  event.Skip();
}

}  // namespace orbivane
