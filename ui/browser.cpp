#include "browser.h"

#include <wx/log.h>
#include <wx/string.h>
#include <wx/utils.h>

namespace orbivane {

namespace {
BrowserLauncher g_launcher = &LaunchDefaultBrowser;
}  // namespace

bool LaunchDefaultBrowser(const std::string& url) {
  // The toolkit reports a failed launch through its log, which would show a
  // message box; the address simply stays unopened instead.
  wxLogNull quiet;
  return wxLaunchDefaultBrowser(wxString::FromUTF8(url));
}

BrowserLauncher SetBrowserLauncher(BrowserLauncher launcher) {
  BrowserLauncher previous = g_launcher;
  g_launcher = launcher != nullptr ? launcher : &LaunchDefaultBrowser;
  return previous;
}

void OpenUrlInBrowser(const std::string& url) { (void)g_launcher(url); }

}  // namespace orbivane
