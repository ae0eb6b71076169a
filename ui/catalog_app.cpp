#include "catalog_app.h"

#include <cstdlib>

#include "catalog_dlg.h"
#include "os_file.h"
#include "ui_texts.h"

namespace orbivane {

bool HaveDisplay() {
#if defined(__WXGTK__)
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
#else
  return true;
#endif
}

bool CCatalogApp::OnInit() {
  MarkProgramRunning();
  SetAppName("orbivane");
  SetAppDisplayName(wxString::FromUTF8(kAppTitle));
  return true;
}

int CCatalogApp::OnRun() {
  CCatalogDlg dialog;
  SetTopWindow(&dialog);
  dialog.ShowModal();
  SetTopWindow(nullptr);
  return 0;
}

}  // namespace orbivane
