// orbivane: the desktop window.
#include <cstdio>

#include <wx/app.h>

#include "catalog_app.h"

#ifdef __WXMSW__
// Windows always has a desktop to show the window on; the toolkit's own
// WinMain starts the program.
wxIMPLEMENT_APP(orbivane::CCatalogApp);
#else
wxIMPLEMENT_APP_NO_MAIN(orbivane::CCatalogApp);

int main(int argc, char** argv) {
  if (!orbivane::HaveDisplay()) {
    std::fputs(
        "orbivane: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "On a machine without a display, use orbivane-cli instead; `orbivane-cli --help` lists its commands.\n",
        stderr);
    return 1;
  }
  return wxEntry(argc, argv);
}
#endif
