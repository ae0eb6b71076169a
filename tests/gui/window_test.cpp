// The window as wired: the real main window on a virtual display, its
// buttons pressed and its modal dialogs answered here.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#ifdef __WXMSW__
#include <windows.h>
#endif

#include "about_dlg.h"
#include "astorb_record.h"
#include "browser.h"
#include "catalog_dlg.h"
#include "download_dlg.h"
#include "file_presets.h"
#include "help_dlg.h"
#include "resource_ids.h"
#include "screen_io.h"
#include "selection_dlg.h"
#include "test_files.h"
#include "window_fixture.h"

namespace orbivane::testing {
namespace {

TEST_F(WindowTest, StartsWithItsImagesAndShowsAnUnreadableHistory) {
  std::filesystem::create_directory(Path("history"));
  CCatalogDlg window;
  Lines seen;
  wxTEST_DIALOG(window.Show(), Message(seen));
  EXPECT_EQ(seen, Lines{"Orbivane: Cannot read history file \"" + Path("history") + "\": Is a directory"});
  EXPECT_TRUE(window.GetBackgroundBrush().IsOk());
  EXPECT_EQ(window.GetIcons().GetIconCount(), 4u);
}

TEST_F(WindowTest, ChoosingBothFilesThenStartingPutsTheNewestRunOnTopAndFillsTheBar) {
  const std::string source = NumberedSource(2000);
  WriteFile(Path("big.dat"), source);
  WriteFile(Path("cat.slc"), "an older catalog");
  Prepare("1-6");
  std::string preset;
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(Path("big.dat"), &preset));
  EXPECT_EQ(preset, Path("astorb.dat"));
  EXPECT_EQ(Text(IDC_SOURCE) + "|" + Text(IDC_TOTAL) + "|" + Text(IDC_FILTER), Path("big.dat") + "|2000 |1-6");
  Lines seen;
  wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), File(Path("cat"), &preset), Message(seen, wxID_NO));
  EXPECT_EQ(preset.substr(0, preset.size() - 13), folder_.path() + kSeparator);
  EXPECT_EQ(OutputPresetName("/d", {2027, 1, 3, 9, 5, 0}), std::string("/d") + kSeparator + "0301_0905");
  EXPECT_EQ(seen, Lines{"Orbivane: " + Path("cat.slc") + " already exists.\nDo you want to replace it?"});
  EXPECT_EQ(Text(IDC_OUTPUT), "");
  wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), File(Path("cat")), Message(seen, wxID_YES));
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE);
                Click(IDC_BROWSE_OUTPUT), File(""), File(""));
  EXPECT_EQ(Text(IDC_TOTAL) + "|" + Text(IDC_OUTPUT), "2000 |" + Path("cat.slc"));
  EXPECT_EQ(WithDefaultExtension("/d.v2/cat", "slc"), "/d.v2/cat.slc");
  Click(IDC_START);
  std::string records;  // the first six lines' records joined by CR LF, the same bytes on every system
  for (int n = 0; n < 6; ++n) AppendCatalogRecord(source.substr(n * 268, 267), records.append(n > 0 ? "\r\n" : ""));
  EXPECT_EQ(ReadFile(Path("cat.slc")), records);
  Prepare("2, 2000", "second.slc");
  Click(IDC_START);
  const Lines expected = {"date | " + Path("second.slc") + " | 2, 2000 | 2",
                          "date | " + Path("cat.slc") + " | 1-6 | 6"};
  EXPECT_EQ(Rows(), expected);
  auto* bar = dynamic_cast<wxGauge*>(window_.FindWindow(IDC_PROGRESS));
  EXPECT_EQ(bar->GetValue(), 200);
  EXPECT_EQ(bar->GetRange(), 200);
  Prepare("1-5x", "refused.slc");
  wxTEST_DIALOG(Click(IDC_START), Message(seen));
  EXPECT_EQ(seen.back(), "Orbivane: Filter string contains invalid simbols!");
  EXPECT_FALSE(FileExists(Path("refused.slc")));
  Click(IDC_CLEAR_HISTORY);
  EXPECT_EQ(Rows(), Lines{});
}

TEST_F(WindowTest, ADamagedCompressedSourceShowsItsCountAndSaysWhere) {
  // "a\nb\nc\n" compressed, without its 8-byte trailer.
  WriteFile(Path("a.dat.gz"), std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03\x4b\xe4\x4a\xe2\x4a\xe6\x02\0", 18));
  Lines seen;
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(Path("a.dat.gz")), Message(seen));
  EXPECT_EQ(Text(IDC_TOTAL), "3 ");
  EXPECT_EQ(seen, Lines{"Orbivane: Cannot read source catalog \"" + Path("a.dat.gz") +
                        "\": Compressed data damaged at line 4 (the file ends too soon)"});
}

TEST_F(WindowTest, CommandsAreIgnoredWhileWorking) {
  WriteFile(Path("big.dat"), NumberedSource(30001));
  const int repaints = window_.RepaintCount();
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(Path("big.dat")));
  EXPECT_GT(window_.RepaintCount(), repaints) << "the count lets the window paint";
  WriteFile(Path("history"), "");  // Clear History would delete it
  Prepare("1-30001", "big.slc");
  bool busyAndDisabled = false;
  const int updates = window_.ProgressUpdateCount();
  const auto started = std::chrono::steady_clock::now();
  // The cap message comes in the middle of the run: try everything there.
  wxTEST_DIALOG(Click(IDC_START), Expect<wxMessageDialog>([&](wxMessageDialog* cap) {
                  ExpectCentredOnTheWindow(cap);
                  busyAndDisabled = window_.IsBusy() && !window_.IsEnabled();
                  for (const int id : {IDC_CLEAR_HISTORY, IDC_HELP_BUTTON, IDC_BROWSE_SOURCE, IDC_BROWSE_OUTPUT,
                                       IDC_START, IDC_DOWNLOAD_CATALOGS, int{wxID_OK}, int{wxID_CANCEL}}) {
                    Click(id);
                  }
                  Send(&window_, ID_HELP, wxEVT_MENU);
                  Send(&window_, IDM_ABOUTBOX, wxEVT_MENU);
                  window_.Close();
                  return wxID_OK;
                }));
  const auto took = std::chrono::steady_clock::now() - started;
  // The bar is told a new position at most about 30 times a second (3000 positions here), and ends on the last.
  EXPECT_LE(window_.ProgressUpdateCount() - updates, 2 + took / std::chrono::milliseconds(33));
  EXPECT_EQ(dynamic_cast<wxGauge*>(window_.FindWindow(IDC_PROGRESS))->GetValue(), 3000);
  EXPECT_TRUE(busyAndDisabled);
  EXPECT_TRUE(FileExists(Path("history"))) << "Clear History did not run";
  EXPECT_EQ(g_opened, Lines{});
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_TRUE(window_.IsShown() && window_.IsEnabled() && !window_.IsBusy());
  EXPECT_GT(window_.RepaintCount(), repaints + 1) << "the run lets the window paint";
}

TEST_F(WindowTest, HelpOnF1AboutAndBothWebButtons) {
  std::string text;
  wxTEST_DIALOG(Send(&window_, KeyCommand(window_), wxEVT_MENU),
                Expect<CHelpDlg>([&](CHelpDlg* help) {
                  help->TransferDataToWindow();  // what showing it does first
                  text = dynamic_cast<wxTextCtrl*>(help->FindWindow(IDC_HELP_TEXT))->GetValue().utf8_string();
                  Send(help, IDC_DOWNLOAD_SOURCE);
                  wxKeyEvent enter(wxEVT_KEY_DOWN);  // the default button, even in the text
                  enter.m_keyCode = WXK_RETURN;
                  help->FindWindow(IDC_HELP_TEXT)->ProcessWindowEvent(enter);
                  return wxID_CANCEL;
                }));
#ifdef __WXGTK__
  EXPECT_EQ(text.substr(0, 16), "\nOrbivane Help\n\n") << "a GTK field shows a CR as a glyph";
#endif
  EXPECT_EQ(text.substr(text.size() - 12), "at any time.");
  EXPECT_NE(text.find(" catalog can be downloaded from https://ftp.lowell.edu/pub/elgb/astorb.dat.gz.\n"), text.npos);
  Click(IDC_DOWNLOAD_CATALOGS);
  const std::string astorb = "https://asteroid.lowell.edu/astorb/";
  EXPECT_EQ(g_opened, (Lines{astorb, astorb, "https://orbivane.example/asteroids.htm"}));
  // The Help button, and only the About ids 0x10 to 0x1F open About.
  wxTEST_DIALOG(Click(IDC_HELP_BUTTON);
                window_.OnSysCommand(IDM_ABOUTBOX - 1);
                window_.OnSysCommand(IDM_REFRESH + 0x10);
                Send(&window_, IDM_ABOUTBOX + 0xF, wxEVT_MENU),
                Expect<CHelpDlg>([](CHelpDlg*) { return wxID_CANCEL; }),
                Expect<CAboutDlg>([](CAboutDlg*) { return wxID_OK; }));
}

#ifdef __WXMSW__
// The window's real system menu ends with a separator, the refresh, the selection, Download and About; About's
// commands 0x10 to 0x1F open it, the selection's 0x30 to 0x3F.
TEST_F(WindowTest, TheSystemMenuEndsWithAbout) {
  const auto handle = static_cast<HWND>(window_.GetHWND());
  const HMENU menu = GetSystemMenu(handle, FALSE);
  const int last = GetMenuItemCount(menu) - 1;
  wchar_t text[64] = {};
  GetMenuStringW(menu, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"&About Orbivane...");
  EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_EQ(GetMenuItemID(menu, last - 1), static_cast<UINT>(IDM_DOWNLOAD_ASTORB));
  GetMenuStringW(menu, static_cast<UINT>(last - 1), text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"&Download the newest astorb.dat.gz...\tCtrl+D") << "its access letter and key";
  EXPECT_EQ(GetMenuItemID(menu, last - 2), static_cast<UINT>(IDM_SELECT));
  GetMenuStringW(menu, static_cast<UINT>(last - 2), text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"Select by &brightness and orbit...\tCtrl+B");
  EXPECT_EQ(GetMenuItemID(menu, last - 3), static_cast<UINT>(IDM_REFRESH));
  GetMenuStringW(menu, static_cast<UINT>(last - 3), text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"Re&fresh all catalogs...\tCtrl+R");
  EXPECT_NE(GetMenuState(menu, static_cast<UINT>(last - 4), MF_BYPOSITION) & MF_SEPARATOR, 0u);
  std::string letters;  // of every item, the system's own included: the selection's is no other's
  for (int item = 0; item <= last; ++item) {
    text[0] = L'\0';  // a separator has no text
    GetMenuStringW(menu, static_cast<UINT>(item), text, 64, MF_BYPOSITION);
    if (const wchar_t* amp = std::wcschr(text, L'&')) letters += static_cast<char>(std::towlower(amp[1]));
  }
  EXPECT_EQ(std::count(letters.begin(), letters.end(), 'b'), 1) << "letters " << letters;
  EXPECT_EQ(std::count(letters.begin(), letters.end(), 'f'), 1) << "letters " << letters;
  wxTEST_DIALOG(SendMessageW(handle, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
                SendMessageW(handle, WM_SYSCOMMAND, IDM_ABOUTBOX + 0xF, 0);
                SendMessageW(handle, WM_SYSCOMMAND, IDM_SELECT + 0xF, 0),
                Expect<CAboutDlg>([](CAboutDlg*) { return wxID_OK; }),
                Expect<CAboutDlg>([](CAboutDlg*) { return wxID_OK; }),
                Expect<CSelectionDlg>([](CSelectionDlg*) { return wxID_CANCEL; }));
}
#endif

// The origin of with_origin.sh serves the six-line sample compressed, and stalls on /stall/N/ after N bytes.
TEST_F(WindowTest, DownloadTheNewestMakesItTheSourceAndCancelKeepsThePreviousOne) {
  const char* origin = std::getenv("ORBIVANE_TEST_ORIGIN");
  ASSERT_NE(origin, nullptr) << "run through with_origin.sh";
  std::filesystem::create_directory(Path("sub"));
  WriteFile(Path("sub/old.dat"), NumberedSource(3));
  wxTEST_DIALOG(Click(IDC_BROWSE_SOURCE), File(Path("sub/old.dat")));
  const auto gauge = [](wxDialog* dialog) { return dynamic_cast<wxGauge*>(dialog->FindWindow(IDC_DOWNLOAD_GAUGE)); };
  window_.m_strDownloadUrl = std::string(origin) + "/stall/100/astorb.dat.gz";
  std::string preset;
  std::chrono::steady_clock::duration cancelling{};
  wxTEST_DIALOG(Send(&window_, KeyCommand(window_, 'D'), wxEVT_MENU), File(Path("new.gz"), &preset),
                Expect<CDownloadDlg>([&](CDownloadDlg* dialog) {
                  EXPECT_TRUE(RunUntil([&] { return gauge(dialog)->GetValue() > 0; })) << "progress shown";
                  const auto start = std::chrono::steady_clock::now();
                  dialog->OnCancel();
                  EXPECT_TRUE(RunUntil([&] { return dialog->IsDone(); }));
                  cancelling = std::chrono::steady_clock::now() - start;
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(preset, Path("sub") + kSeparator + "astorb.dat.gz") << "the folder of the source";
  // Half a second is the rule; the margin is for a loaded machine.
  EXPECT_LT(cancelling, std::chrono::seconds(1));
  EXPECT_EQ(Text(IDC_SOURCE) + "|" + Text(IDC_TOTAL), Path("sub/old.dat") + "|3 ");
  EXPECT_EQ(ReadFile(Path("new.gz.part")).size(), 100u) << "kept for a resume";
  window_.m_strDownloadUrl = std::string(origin) + "/astorb.dat.gz";
  std::string shown;
  wxTEST_DIALOG(window_.OnSysCommand(IDM_DOWNLOAD_ASTORB + 0xF), File(Path("new.gz")),
                Expect<CDownloadDlg>([&](CDownloadDlg* dialog) {
                  EXPECT_TRUE(RunUntil([&] { return dialog->IsDone() && gauge(dialog)->GetValue() == 1000; }));
                  shown = dialog->FindWindow(IDC_DOWNLOAD_STATUS)->GetLabel().utf8_string();
                  return wxID_OK;
                }));
  EXPECT_EQ(shown.substr(0, 15), "0.0 of 0.0 MB, ");
  EXPECT_EQ(ProgressText({41'600'000, 104'200'000, 5.3e6}), "41.6 of 104.2 MB, 5.3 MB/s");
  EXPECT_EQ(Text(IDC_SOURCE) + "|" + Text(IDC_TOTAL), Path("new.gz") + "|6 ");
  EXPECT_EQ(window_.m_catalog.m_nTotal, 6);
  EXPECT_FALSE(FileExists(Path("new.gz.part")));
}

// The download's Save As offers MPCORB as its second file type (ASTORB, the first, is the default): MPC's address,
// MPCORB.DAT.gz in place of the preset name, and the Total its orbit lines.
TEST_F(WindowTest, DownloadOffersMpcorbAsTheSecondFileType) {
  const char* origin = std::getenv("ORBIVANE_TEST_ORIGIN");
  ASSERT_NE(origin, nullptr) << "run through with_origin.sh";
  window_.m_strDownloadUrl = std::string(origin) + "/status/404";
  window_.m_strMpcorbDownloadUrl = std::string(origin) + "/mpcorb/MPCORB.DAT.gz";
  int firstType = -1;
  std::string preset;
  wxTEST_DIALOG(Send(&window_, KeyCommand(window_, 'D'), wxEVT_MENU), Expect<wxFileDialog>([&](wxFileDialog* dialog) {
                  firstType = dialog->GetFilterIndex();
                  preset = (dialog->GetDirectory() + kSeparator + dialog->GetFilename()).utf8_string();
                  dialog->SetPath(wxString::FromUTF8(preset));
                  dialog->SetFilterIndex(1);
                  return wxID_OK;
                }),
                Expect<CDownloadDlg>([&](CDownloadDlg* dialog) {
                  EXPECT_TRUE(RunUntil([&] { return dialog->IsDone(); }));
                  return wxID_OK;
                }));
  EXPECT_EQ(firstType, 0) << "ASTORB is the default";
  const std::string folder = preset.substr(0, preset.size() - std::string("astorb.dat.gz").size());
  EXPECT_EQ(Text(IDC_SOURCE) + "|" + Text(IDC_TOTAL), folder + "MPCORB.DAT.gz|3 ");
  EXPECT_EQ(window_.m_catalog.m_nTotal, 3);
}

// The download and the selection are found without knowing the menu: the source's "..." and the Filter name
// them and their keys, and their items and About's have access letters, as the window menu's own items do.
TEST_F(WindowTest, TheDownloadAndTheSelectionAreNamedWhereTheSourceAndTheFilterAreGiven) {
  const wxString tip = window_.FindWindow(IDC_BROWSE_SOURCE)->GetToolTipText();
  EXPECT_NE(tip.Find("\"Download the newest astorb.dat.gz...\" (Ctrl+D)"), wxNOT_FOUND) << tip.utf8_string();
  const wxString filterTip = window_.FindWindow(IDC_FILTER)->GetToolTipText();
  EXPECT_NE(filterTip.Find("\"Select by brightness and orbit...\" (Ctrl+B)"), wxNOT_FOUND) << filterTip.utf8_string();
  const std::unique_ptr<wxMenu> menu = window_.MakeContextMenu();
  EXPECT_EQ(menu->FindItemByPosition(0)->GetItemLabel(), "Re&fresh all catalogs...\tCtrl+R");
  EXPECT_EQ(menu->FindItemByPosition(1)->GetItemLabel(), "Select by &brightness and orbit...\tCtrl+B");
  EXPECT_EQ(menu->FindItemByPosition(2)->GetItemLabel(), "&Download the newest astorb.dat.gz...\tCtrl+D");
  EXPECT_EQ(menu->FindItemByPosition(3)->GetItemLabel(), "&About Orbivane...");
  EXPECT_EQ(menu->FindItemByPosition(0)->GetId(), IDM_REFRESH);
  EXPECT_EQ(menu->FindItemByPosition(1)->GetId(), IDM_SELECT);
}

TEST_F(WindowTest, TotalShowsEveryCountUpTo99999999WholeBesideItsCaption) {
  window_.ShowTotal("99999999 ");
  wxWindow* total = window_.FindWindow(IDC_TOTAL);
  const wxRect field = total->GetParent()->GetRect();
  const wxRect caption = wxWindow::FindWindowByLabel("Total :", &window_)->GetRect();
  EXPECT_GE(total->GetSize().x, total->GetTextExtent("99999999 ").x);
  EXPECT_LT(caption.GetRight(), field.GetLeft());
  // Under Wine, whose font is wider than Windows' own, the caption reaches the button's last pixel.
  EXPECT_GE(caption.GetLeft(), window_.FindWindow(IDC_BROWSE_SOURCE)->GetRect().GetRight());
}

TEST_F(WindowTest, HistoryColumnsScaleWithTheFontSoTheDateFits) {
  auto* list = dynamic_cast<wxListCtrl*>(window_.FindWindow(IDC_HISTORY));
  const double scale = window_.ConvertDialogToPixels(wxSize(4, 0)).x / 6.0;
  const int designed[] = {130, 300, 300, 70};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(list->GetColumnWidth(column), std::lround(designed[column] * scale)) << "column " << column;
  }
  EXPECT_GT(list->GetColumnWidth(0), list->GetTextExtent("12/31/2026 23:59:59").x);
}

TEST_F(WindowTest, FocusComesBackToWhereItWasAfterEachModalDialog) {
  const struct {
    int focused;
    int command;
    wxEventType type;
  } kCases[] = {
      {IDC_BROWSE_SOURCE, IDC_BROWSE_SOURCE, wxEVT_BUTTON},
      {IDC_BROWSE_OUTPUT, IDC_BROWSE_OUTPUT, wxEVT_BUTTON},
      {IDC_HELP_BUTTON, IDC_HELP_BUTTON, wxEVT_BUTTON},
      {IDC_FILTER, IDM_ABOUTBOX, wxEVT_MENU},
      {IDC_FILTER, IDC_CLEAR_HISTORY, wxEVT_BUTTON},
  };
  std::filesystem::create_directory(Path("history"));  // Clear History then says why it cannot delete it
  for (const auto& c : kCases) {
    window_.FindWindow(c.focused)->SetFocus();
    wxTEST_DIALOG(Send(&window_, c.command, c.type), Expect<wxDialog>([this](wxDialog*) {
                    window_.FindWindow(IDC_SOURCE)->SetFocus();  // where the dialog leaves it
                    return wxID_CANCEL;
                  }));
    EXPECT_EQ(wxWindow::FindFocus(), window_.FindWindow(c.focused)) << "command " << c.command;
  }
}

// Clear History and Help share the mnemonic H: as the system's dialogs do, a key press of it moves the focus
// between the two and presses neither (Help would open a dialog, Clear History delete the file).
TEST_F(WindowTest, AMnemonicOfTwoButtonsOnlyMovesTheFocusBetweenThem) {
  WriteFile(Path("history"), "");
  window_.Raise();
  window_.FindWindow(IDC_FILTER)->SetFocus();
  std::vector<int> focused;
  wxUIActionSimulator keyboard;
  for (int press = 0; press < 3; ++press) {
#ifdef __WXMSW__
    // Alt+H as the message loop hands it on (Wine's input on a display without a window manager goes nowhere).
    MSG key{static_cast<HWND>(wxWindow::FindFocus()->GetHWND()), WM_SYSCHAR, 'h', 1 | 1 << 29, 0, {}};
    wxGUIEventLoop().ProcessMessage(&key);
#else
    keyboard.Char('h', wxMOD_ALT);
#endif
    // A GTK button pressed from the keyboard reports its click a quarter of a second later.
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
         std::chrono::steady_clock::now() < until;) {
      wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
    focused.push_back(wxWindow::FindFocus() ? wxWindow::FindFocus()->GetId() : 0);
  }
  EXPECT_EQ(focused, (std::vector<int>{IDC_CLEAR_HISTORY, IDC_HELP_BUTTON, IDC_CLEAR_HISTORY}));
  EXPECT_TRUE(FileExists(Path("history")));
}

TEST_F(WindowTest, OneQuestionAboutTheFileThatWillBeWritten) {
  WriteFile(Path("foo"), "not a catalog");
  WriteFile(Path("bar.slc"), "an older catalog");
  long style = wxFD_OVERWRITE_PROMPT;
  wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), Expect<wxFileDialog>([&](wxFileDialog* dialog) {
                  style = dialog->GetWindowStyle();
                  dialog->SetPath(Path("foo"));
                  return wxID_OK;
                }));
  EXPECT_EQ(style & wxFD_OVERWRITE_PROMPT, 0) << "the toolkit would ask about the name typed";
  EXPECT_EQ(Text(IDC_OUTPUT), Path("foo.slc"));
  Lines seen;
  wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), File(Path("bar.slc")), Message(seen, wxID_NO));
  EXPECT_EQ(seen, Lines{"Orbivane: " + Path("bar.slc") + " already exists.\nDo you want to replace it?"});
  EXPECT_EQ(Text(IDC_OUTPUT), Path("foo.slc"));
#ifndef _WIN32
  std::filesystem::create_symlink("gone.slc", Path("dangling.slc"));  // nothing is replaced: no question
  wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), File(Path("dangling.slc")));
  EXPECT_EQ(Text(IDC_OUTPUT), Path("dangling.slc"));
#endif
}

TEST_F(WindowTest, HistoryTextAndMessagesThatAreNotUtf8AreShownReadably) {
  const HistoryRecord record = MakeHistoryRecord({2001, 12, 6, 1, 45, 9}, "j\xF6rg.slc", "1-6", 6);
  WriteFile(Path("history"), std::string(reinterpret_cast<const char*>(&record), sizeof record));
  ASSERT_TRUE(window_.m_catalog.LoadHistory().ok());
  EXPECT_EQ(Rows(), Lines{"date | j\xC3\xB6rg.slc | 1-6 | 6"});
  Lines seen;
  wxTEST_DIALOG(window_.ShowMessage("\"j\xF6rg.slc\""), Message(seen));
  EXPECT_EQ(seen, Lines{"Orbivane: \"j\xC3\xB6rg.slc\""});
}

// The history list as the screen shows it: its column headings, and its rows.
struct ListPicture {
  wxImage headings;
  wxImage rows;
};

ListPicture LookAt(wxListCtrl& list) {
  // Every paint the list has pending is done first.
#ifdef __WXMSW__
  RedrawWindow(static_cast<HWND>(list.GetHWND()), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
#else
  list.GetParent()->Update();  // which also waits for the X server to have drawn it
#endif
  wxRect first;
  wxRect last;
  list.GetItemRect(0, first);
  list.GetItemRect(list.GetItemCount() - 1, last);
  const wxPoint origin = list.ClientToScreen(wxPoint(0, 0));
  const int width = list.GetClientSize().x;
  return {ScreenPixels(wxRect(origin.x, origin.y, width, first.y)),
          ScreenPixels(wxRect(origin.x, origin.y + first.y, width, last.GetBottom() + 1 - first.y))};
}

// How far `now` shows `before` moved to the left: the least d for which every
// pixel of `now` is the one d columns further right in `before`; -1 if none is.
int ShiftLeft(const wxImage& before, const wxImage& now) {
  const int width = before.GetWidth();
  for (int d = 0; d < width; ++d) {
    bool same = true;
    for (int y = 0; y < before.GetHeight() && same; ++y) {
      same = std::memcmp(now.GetData() + 3 * y * width, before.GetData() + 3 * (y * width + d), 3 * (width - d)) == 0;
    }
    if (same) return d;
  }
  return -1;
}

// Lets the window's events run until the list's rows were painted: GTK draws a window only once the X server
// has shown it.
void WaitUntilPainted(wxListCtrl& list) {
#ifndef __WXMSW__
  bool painted = false;
  const auto onPaint = [&painted](wxPaintEvent& event) {
    painted = true;
    event.Skip();
  };
  for (wxWindow* part : list.GetChildren()) part->Bind(wxEVT_PAINT, onPaint);
  EXPECT_TRUE(RunUntil([&painted] { return painted; })) << "the list was painted";
  for (wxWindow* part : list.GetChildren()) part->Unbind(wxEVT_PAINT, onPaint);
#endif
}

// Where the list puts its second column now, in its own coordinates.
int ColumnX(wxListCtrl& list) {
  wxRect cell;
  list.GetSubItemRect(0, 1, cell);
  return cell.x;
}

// Scrolls the list sideways by `steps` (to the right when positive) as a user does: on GTK with the wheel
// turned sideways over its rows, on Windows with the arrows of its scroll bar.
void ScrollSideways(wxListCtrl& list, int steps) {
#ifdef __WXMSW__
  // Wine's pointer input goes nowhere on a display without a window manager: the messages the arrows send.
  const auto handle = static_cast<HWND>(list.GetHWND());
  for (int step = 0; step < std::abs(steps); ++step) {
    SendMessageW(handle, WM_HSCROLL, steps > 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
  }
  SendMessageW(handle, WM_HSCROLL, SB_ENDSCROLL, 0);
#else
  int seen = 0;
  const auto onWheel = [&seen](wxMouseEvent& event) {
    ++seen;
    event.Skip();
  };
  for (wxWindow* part : list.GetChildren()) part->Bind(wxEVT_MOUSEWHEEL, onWheel);
  wxRect row;
  list.GetItemRect(0, row);
  TurnWheelSideways(list.ClientToScreen(wxPoint(list.GetClientSize().x / 2, row.GetBottom())), steps);
  EXPECT_TRUE(RunUntil([&] { return seen == std::abs(steps); })) << "the wheel reached the rows";
  for (wxWindow* part : list.GetChildren()) part->Unbind(wxEVT_MOUSEWHEEL, onWheel);
#endif
}

// The columns are wider than the list, so it scrolls sideways: wherever it is scrolled to, the column
// headings are over their columns (on screen the headings moved as far as the rows, as far as the list says).
TEST_F(WindowTest, HistoryHeadingsStayOverTheirColumnsWhenScrolledSideways) {
  for (int row = 0; row < 3; ++row) {
    window_.InsertRow(row, "12/31/2026 23:59:5" + std::to_string(row));
    window_.SetCell(row, 1, "catalog" + std::to_string(row) + ".slc");
    window_.SetCell(row, 2, "1-1000, 2000");
    window_.SetCell(row, 3, "1001");
  }
  auto& list = *dynamic_cast<wxListCtrl*>(window_.FindWindow(IDC_HISTORY));
  WaitUntilPainted(list);
  const ListPicture start = LookAt(list);
  const int startX = ColumnX(list);
  // A step right, far right, a step back, back to the start (where the first heading read "e/Time").
  for (const int steps : {1, 12, -1, -20}) {
    const int before = ColumnX(list);
    ScrollSideways(list, steps);
    EXPECT_TRUE(steps > 0 ? ColumnX(list) < before : ColumnX(list) > before) << steps << ": no scrolling";
    const int moved = startX - ColumnX(list);
    const ListPicture now = LookAt(list);
    EXPECT_EQ(ShiftLeft(start.rows, now.rows), moved) << steps << " steps: the rows";
    EXPECT_EQ(ShiftLeft(start.headings, now.headings), moved) << steps << " steps: the headings";
  }
  EXPECT_EQ(ColumnX(list), startX) << "back at the start";
}

}  // namespace
}  // namespace orbivane::testing

// GoogleTest runs inside a started toolkit whose log goes to stderr, and no browser starts.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();  // listing needs no display
  wxApp::SetInstance(new wxApp());
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  delete wxLog::SetActiveTarget(new wxLogStderr);
  orbivane::SetBrowserLauncher([](const std::string& url) {
    orbivane::testing::g_opened.push_back(url);
    return true;
  });
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
