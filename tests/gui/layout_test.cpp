// Each dialog as laid out at this display's DPI (tools/windows.sh runs these under Wine at 144 and 192 DPI as
// well): every control lies inside its dialog and shows its whole text, no two controls overlap (a group box
// holds others, so only its caption counts), and the About box's icon is the image drawn for this DPI.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>

#include "about_dlg.h"
#include "catalog_dlg.h"
#include "download_dlg.h"
#include "help_dlg.h"
#include "refresh_dlg.h"
#include "resource_ids.h"
#include "selection_dlg.h"
#include "web_addresses.h"
#include "test_files.h"

namespace orbivane::testing {
namespace {

using Lines = std::vector<std::string>;

std::string Name(wxWindow* control) {
  return std::string(wxString(control->GetClassInfo()->GetClassName()).utf8_string()) + " \"" +
         control->GetLabel().utf8_string() + "\"";
}

std::string Size(const wxSize& size) { return std::to_string(size.x) + "x" + std::to_string(size.y); }

// The room a control's text needs: a button's edge and a group box's caption indent come on top of it;
// an edit field must hold one line of its font.
wxSize Needed(wxWindow* control) {
  if (dynamic_cast<wxTextCtrl*>(control) != nullptr) return wxSize(0, control->GetCharHeight());
  // A check box's text comes after its box; a date picker shows a date in its format and its button. Their
  // width is what the toolkit finds they need (the size given at their making counts as a least size); their
  // height, a line of their font, as an edit field's (GTK's own would be taller than any dialog designed for
  // Windows).
  if (dynamic_cast<wxCheckBox*>(control) != nullptr || dynamic_cast<wxDatePickerCtrl*>(control) != nullptr) {
    control->SetMinSize(wxDefaultSize);
    control->InvalidateBestSize();
    return wxSize(control->GetBestSize().x, control->GetCharHeight());
  }
  // A label wrapped to its width holds line breaks, each line measured on its own.
  wxClientDC dc(control);
  dc.SetFont(control->GetFont());
  const wxSize text = dc.GetMultiLineTextExtent(wxControl::RemoveMnemonics(control->GetLabel()));
  if (control->GetLabel().empty()) return wxSize();
  if (dynamic_cast<wxButton*>(control) != nullptr) return text + control->FromDIP(wxSize(8, 4));
  if (dynamic_cast<wxStaticBox*>(control) != nullptr) return wxSize(text.x + control->FromDIP(16), text.y);
  return text;
}

// What cannot be seen whole of the controls in `parent`, one line each.
void CollectFaults(wxWindow* parent, Lines& faults) {
  const wxRect inside(parent->GetClientSize());
  std::vector<wxWindow*> solid;
  for (wxWindow* control : parent->GetChildren()) {
    if (control->IsTopLevel()) continue;  // a dialog opened over this one
    const wxRect rect = control->GetRect();
    if (!inside.Contains(rect)) faults.push_back(Name(control) + " leaves " + Name(parent));
    const wxSize needed = Needed(control);
    const wxSize room = dynamic_cast<wxTextCtrl*>(control) != nullptr ? control->GetClientSize() : rect.GetSize();
    if (needed.x > room.x || needed.y > room.y) {
      faults.push_back(Name(control) + " needs " + Size(needed) + ", has " + Size(room));
    }
    if (dynamic_cast<wxStaticBox*>(control) == nullptr) solid.push_back(control);
    // Into the frames of read-only fields; a list's own parts are the toolkit's.
    if (dynamic_cast<wxPanel*>(control) != nullptr) CollectFaults(control, faults);
  }
  for (std::size_t i = 0; i < solid.size(); ++i) {
    for (std::size_t j = i + 1; j < solid.size(); ++j) {
      if (solid[i]->GetRect().Intersects(solid[j]->GetRect())) {
        faults.push_back(Name(solid[i]) + " overlaps " + Name(solid[j]));
      }
    }
  }
}

TEST(LayoutTest, EveryDialogShowsEachTextWholeAndNoControlOverlapsAnother) {
  ScratchDir folder;
  const wxString started = wxGetCwd();
  wxSetWorkingDirectory(wxString::FromUTF8(folder.path()));
  {
    CCatalogDlg window;
    window.ShowTotal("99999999 ");
    const int dpi = window.GetDPI().y;
    // tools/windows.sh names the DPI it set, so that a setting the system ignored cannot pass unseen.
    if (const char* expected = std::getenv("ORBIVANE_EXPECT_DPI")) {
      ASSERT_EQ(dpi, std::atoi(expected));
    }
    CAboutDlg about(&window);
    CHelpDlg help(&window);
    help.TransferDataToWindow();
    // The download ends at once (nothing listens on port 1); its dialog then shows the longest texts it has.
    DownloadOptions nowhere;
    nowhere.url = "http://127.0.0.1:1/astorb.dat.gz";
    nowhere.target = folder.path() + "/astorb.dat.gz";
    CDownloadDlg download(&window, nowhere);
    download.FindWindow(IDC_DOWNLOAD_ADDRESS)->SetLabel(kAstorbDownloadUrl);
    download.FindWindow(IDC_DOWNLOAD_STATUS)->SetLabel("1073.7 of 1073.7 MB, 999.9 MB/s");
    // A source whose elements are old: the dialogs then show their longest advice.
    window.m_catalog.m_strSourcePath = folder.path() + "/astorb.dat";
    const std::string old = "     1 Ceres" + std::string(94, ' ') + "19960427 " + std::string(150, '0') + "\n";
    window.m_catalog.m_epochs.Block(old.data(), old.size());
    window.m_catalog.m_sourceModified = 1;
    CSelectionDlg selection(&window, window.m_catalog, window);
    CRefreshDlg refresh(&window, window.m_catalog, window, kAstorbDownloadUrl);
    refresh.FindWindow(IDC_REFRESH_STATUS)->SetLabel("Compiling: 99999999 of 99999999 lines");
    for (CPatternDlg* dialog :
         std::initializer_list<CPatternDlg*>{&window, &about, &help, &download, &selection, &refresh}) {
      Lines faults;
      CollectFaults(dialog, faults);
      EXPECT_EQ(faults, Lines{}) << "template " << dialog->GetTemplateId() << " at " << dpi << " DPI";
    }
    for (wxWindow* control : about.GetChildren()) {
      if (auto* icon = dynamic_cast<wxStaticBitmap*>(control)) {
        EXPECT_EQ(icon->GetBitmap().GetWidth(), about.FromDIP(32)) << "at " << dpi << " DPI";
      }
    }
  }
  wxSetWorkingDirectory(started);
}

}  // namespace
}  // namespace orbivane::testing
