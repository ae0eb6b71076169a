// The application: it runs the main window as a modal dialog and ends when
// the window closes.
#pragma once

#include <wx/app.h>

namespace orbivane {

class CCatalogApp : public wxApp {
 public:
  bool OnInit() override;
  // Shows the main window until it is closed; the program then ends with 0.
  int OnRun() override;
};

// Whether a window can be shown here; on Linux and the BSDs that needs an X
// or Wayland display named in the environment.
bool HaveDisplay();

}  // namespace orbivane
