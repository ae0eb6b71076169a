// Opening a web page in the user's default browser.
#pragma once

#include <string>

namespace orbivane {

// Hands the address to the desktop's default-browser facility and returns
// without waiting. Nothing is written anywhere and no shell command line is
// built; a failure passes silently, leaving the window as it was.
void OpenUrlInBrowser(const std::string& url);

// The facility OpenUrlInBrowser calls. The tests put a recorder here so
// that no browser starts; the program never changes it.
using BrowserLauncher = bool (*)(const std::string& url);
BrowserLauncher SetBrowserLauncher(BrowserLauncher launcher);
bool LaunchDefaultBrowser(const std::string& url);

}  // namespace orbivane
