// Identifiers of the dialogs, controls and commands. The numbers are those of
// the program's dialog templates; the standard OK, Cancel and Help commands
// use the toolkit's own ids (wxID_OK, wxID_CANCEL, wxID_HELP) so that Enter,
// Escape and the close box behave as on every other dialog of the desktop.
// Windows' own headers take the names IDOK and IDCANCEL for their macros.
#pragma once

#include <wx/defs.h>

namespace orbivane {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_HELP = 130;
inline constexpr int IDD_DOWNLOAD = 140;
inline constexpr int IDD_SELECT = 150;
inline constexpr int IDD_REFRESH = 160;

// Resources of the program as a whole.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDB_BACKGROUND = 131;

// Controls of the main dialog.
inline constexpr int IDC_SOURCE = 1000;
inline constexpr int IDC_BROWSE_SOURCE = 1001;
inline constexpr int IDC_TOTAL = 1002;
inline constexpr int IDC_HISTORY = 1003;
inline constexpr int IDC_CLEAR_HISTORY = 1004;
inline constexpr int IDC_FILTER = 1005;
inline constexpr int IDC_OUTPUT = 1006;
inline constexpr int IDC_BROWSE_OUTPUT = 1007;
inline constexpr int IDC_START = 1008;
inline constexpr int IDC_PROGRESS = 1009;
inline constexpr int IDC_HELP_BUTTON = 1010;
inline constexpr int IDC_DOWNLOAD_CATALOGS = 1012;

// Controls of the Help dialog.
inline constexpr int IDC_HELP_TEXT = 1010;
inline constexpr int IDC_DOWNLOAD_SOURCE = 1011;

// Controls of the download dialog.
inline constexpr int IDC_DOWNLOAD_ADDRESS = 1020;
inline constexpr int IDC_DOWNLOAD_GAUGE = 1021;
inline constexpr int IDC_DOWNLOAD_STATUS = 1022;

// Controls of the selection dialog. The check boxes of the orbit classes
// follow IDC_SELECT_CLASS in the order of sky::OrbitClass, then those of the
// groups in the order of their bits.
inline constexpr int IDC_SELECT_FROM = 1030;
inline constexpr int IDC_SELECT_TO = 1031;
inline constexpr int IDC_SELECT_MAGNITUDE = 1032;
inline constexpr int IDC_SELECT_ELONGATION = 1033;
inline constexpr int IDC_SELECT_H = 1034;
inline constexpr int IDC_SELECT_MAX = 1035;
inline constexpr int IDC_SELECT_NAMES = 1036;
inline constexpr int IDC_SELECT_FILTER = 1037;
inline constexpr int IDC_SELECT_OUTPUT = 1038;
inline constexpr int IDC_SELECT_BROWSE = 1039;
inline constexpr int IDC_SELECT_PREVIEW = 1040;
inline constexpr int IDC_SELECT_GAUGE = 1041;
inline constexpr int IDC_SELECT_START = 1042;
inline constexpr int IDC_SELECT_AGE = 1043;
inline constexpr int IDC_SELECT_CLASS = 1050;  // to 1064

// Controls of the refresh dialog.
inline constexpr int IDC_REFRESH_SOURCE = 1070;
inline constexpr int IDC_REFRESH_AGE = 1071;
inline constexpr int IDC_REFRESH_DOWNLOAD = 1072;
inline constexpr int IDC_REFRESH_LIST = 1073;
inline constexpr int IDC_REFRESH_STATUS = 1074;
inline constexpr int IDC_REFRESH_GAUGE = 1075;
inline constexpr int IDC_REFRESH_START = 1076;

// Unnamed controls (labels, group boxes) get an id from the toolkit.
inline constexpr int IDC_STATIC = wxID_ANY;

inline constexpr int ID_HELP = wxID_HELP;

// The About command. The window system keeps the low four bits of a
// system-menu command for itself, so every id from 0x0010 to 0x001F means it.
inline constexpr int IDM_ABOUTBOX = 0x0010;
constexpr bool IsAboutCommand(unsigned id) { return (id & 0xFFF0u) == static_cast<unsigned>(IDM_ABOUTBOX); }
// The download command, the item above About (its low four bits too are the system's).
inline constexpr int IDM_DOWNLOAD_ASTORB = 0x0020;
constexpr bool IsDownloadCommand(unsigned id) {
  return (id & 0xFFF0u) == static_cast<unsigned>(IDM_DOWNLOAD_ASTORB);
}

// The selection by brightness and orbit, the item above the download (its low four bits too are the system's).
inline constexpr int IDM_SELECT = 0x0030;
constexpr bool IsSelectCommand(unsigned id) { return (id & 0xFFF0u) == static_cast<unsigned>(IDM_SELECT); }

// Refresh all catalogs, the item above the selection (its low four bits too are the system's).
inline constexpr int IDM_REFRESH = 0x0040;
constexpr bool IsRefreshCommand(unsigned id) { return (id & 0xFFF0u) == static_cast<unsigned>(IDM_REFRESH); }
// The history list's own menu: compile the row's catalog again.
inline constexpr int IDM_COMPILE_AGAIN = 0x0050;

}  // namespace orbivane
