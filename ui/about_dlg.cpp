#include "about_dlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "resource_ids.h"
#include "resources.h"
#include "ui_texts.h"

namespace orbivane {

CAboutDlg::CAboutDlg(wxWindow* parent)
    : CPatternDlg(IDD_ABOUTBOX, parent, wxString::FromUTF8(kAppTitle), wxSize(235, 55), false) {
  const wxRect iconRect = DluRect(11, 17, 20, 20);
  new wxStaticBitmap(this, IDC_STATIC, LoadAppIconBundle(), iconRect.GetPosition(), iconRect.GetSize());
  AddLabel(wxString::FromUTF8(kAboutVersionLine), DluRect(40, 10, 119, 8), wxALIGN_LEFT);
  AddLabel(wxString::FromUTF8(kAboutPurposeLine), DluRect(40, 25, 119, 8), wxALIGN_LEFT);
  const wxRect okRect = DluRect(178, 7, 50, 14);
  auto* ok = new wxButton(this, wxID_OK, "OK", okRect.GetPosition(), okRect.GetSize());
  ok->SetDefault();
  AddLabel(wxString::FromUTF8(kAboutSourceLine), DluRect(40, 35, 119, 8), wxALIGN_LEFT);
  ok->SetFocus();
}

}  // namespace orbivane
