// The About box (template IDD_ABOUTBOX): icon, version and two lines about
// the program, and an OK button.
#pragma once

#include "pattern_dlg.h"

namespace orbivane {

class CAboutDlg : public CPatternDlg {
 public:
  explicit CAboutDlg(wxWindow* parent = nullptr);
};

}  // namespace orbivane
