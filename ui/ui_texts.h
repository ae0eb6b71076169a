// The fixed texts of the window that more than one place shows.
#pragma once

namespace orbivane {

// The caption of the main window, the About box and every message box.
inline constexpr const char* kAppTitle = "Orbivane";
// The About command's menu item (string IDS_ABOUTBOX).
inline constexpr const char* kAboutMenuText = "&About Orbivane...";
// The download command's menu item, above About, and its key. Its access
// letter is one that no item of the window menu takes.
inline constexpr const char* kDownloadMenuText = "&Download the newest astorb.dat.gz...";
inline constexpr const char* kDownloadKeyText = "Ctrl+D";
// The selection's menu item, above the download, and its key; its access
// letter too is one no other item of its menu takes.
inline constexpr const char* kSelectMenuText = "Select by &brightness and orbit...";
inline constexpr const char* kSelectKeyText = "Ctrl+B";
// Refreshing every catalog of the history, above the selection, and its key; the history list's own menu offers
// it below "Compile again".
inline constexpr const char* kRefreshMenuText = "Re&fresh all catalogs...";
inline constexpr const char* kRefreshKeyText = "Ctrl+R";
inline constexpr const char* kCompileAgainMenuText = "&Compile again";
// The tooltip of the source's "..." button, which tells where the download is.
#ifdef _WIN32
inline constexpr const char* kBrowseSourceTip =
    "Choose the ASTORB file (astorb.dat or astorb.dat.gz).\n"
    "To get the newest: \"Download the newest astorb.dat.gz...\" (Ctrl+D) on the window menu (Alt+Space).";
#else
inline constexpr const char* kBrowseSourceTip =
    "Choose the ASTORB file (astorb.dat or astorb.dat.gz).\n"
    "To get the newest: \"Download the newest astorb.dat.gz...\" (Ctrl+D) on the menu of the window's background "
    "(right-click between the controls).";
#endif
// The tooltip of the Filter field, which tells where the selection by brightness and orbit is.
#ifdef _WIN32
inline constexpr const char* kFilterTip =
    "Ranges of line numbers of the source, as 1-1000, 1004-5000.\n"
    "To choose by brightness, orbit class or name: \"Select by brightness and orbit...\" (Ctrl+B) on the window "
    "menu (Alt+Space).";
#else
inline constexpr const char* kFilterTip =
    "Ranges of line numbers of the source, as 1-1000, 1004-5000.\n"
    "To choose by brightness, orbit class or name: \"Select by brightness and orbit...\" (Ctrl+B) on the menu of "
    "the window's background (right-click between the controls).";
#endif

inline constexpr const char* kAboutVersionLine = "Orbivane Version 1.0";
inline constexpr const char* kAboutPurposeLine = "Asteroid catalogs for Skyloom 3.x";
inline constexpr const char* kAboutSourceLine = "from Lowell Observatory's ASTORB";

}  // namespace orbivane
