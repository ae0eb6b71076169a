// The Help dialog (template IDD_HELP): the help text in a read-only field,
// a button that opens the ASTORB documentation page, and Close.
#pragma once

#include <string>

#include "pattern_dlg.h"

class wxCommandEvent;
class wxKeyEvent;
class wxTextCtrl;

namespace orbivane {

class CHelpDlg : public CPatternDlg {
 public:
  explicit CHelpDlg(wxWindow* parent = nullptr);

  // The text shown (CR LF line breaks); the opener sets it before the run.
  std::string m_strHelpText;

  bool TransferDataToWindow() override;
  void OnDownloadSource();

 private:
  void OnHelpTextKey(wxKeyEvent& event);

  wxTextCtrl* m_helpText = nullptr;
};

}  // namespace orbivane
