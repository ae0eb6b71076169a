// The fixed texts of the window that more than one place shows.
#pragma once

namespace orbivane {

// The caption of the main window, the About box and every message box.
inline constexpr const char* kAppTitle = "Orbivane";
// The About command's menu item (string IDS_ABOUTBOX).
inline constexpr const char* kAboutMenuText = "&About Orbivane...";
// The download command's menu item, above About, and its key.
inline constexpr const char* kDownloadMenuText = "Download the newest astorb.dat.gz...";
inline constexpr const char* kDownloadKeyText = "Ctrl+D";

inline constexpr const char* kAboutVersionLine = "Orbivane Version 1.0";
inline constexpr const char* kAboutPurposeLine = "Asteroid catalogs for Skyloom 3.x";
inline constexpr const char* kAboutSourceLine = "from Lowell Observatory's ASTORB";

}  // namespace orbivane
