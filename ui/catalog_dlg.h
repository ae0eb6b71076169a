// The main window (template IDD_MAIN): it shows the catalog's texts, the
// progress bar and the history list, turns button presses into the catalog's
// commands, and gives the catalog the window services it runs on.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/weakref.h>

#include "catalog.h"
#include "pattern_dlg.h"
#include "repaint_throttle.h"
#include "web_addresses.h"
#include "window_services.h"

class wxButton;
class wxCloseEvent;
class wxCommandEvent;
class wxContextMenuEvent;
class wxGauge;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

namespace orbivane {

class CCatalogDlg : public CPatternDlg, public WindowServices {
 public:
  // Captures the current directory as the folder of the `history` file.
  explicit CCatalogDlg(wxWindow* parent = nullptr);
  ~CCatalogDlg() override;

  // Loads the history into the list; a failure is shown, not fatal.
  void OnInitDialog();

  // The commands of the buttons. None starts while another one's work runs.
  void OnBrowseSource();
  void OnBrowseOutput();
  void OnStart();
  void OnClearHistory();
  void OnHelpButton();
  void OnDownloadCatalogs();
  // Downloads the newest ASTORB (or, by the file type chosen, MPCORB) into a
  // file the user names and makes it the source.
  void OnDownloadAstorb();
  // Opens the selection by brightness and orbit, on the chosen source.
  void OnSelect();
  // Opens the refresh of every catalog the history names.
  void OnRefreshAll();
  // Compiles the catalog of the history row chosen again, from the chosen source.
  void OnCompileAgain();
  // A system-menu (or context-menu) command; ids 0x0010 to 0x001F open
  // About, 0x0020 to 0x002F download, 0x0030 to 0x003F open the selection,
  // 0x0040 to 0x004F the refresh.
  void OnSysCommand(unsigned id);

  // The menu offered on the dialog's background where the window menu
  // cannot take the selection, Download and About items.
  std::unique_ptr<wxMenu> MakeContextMenu() const;
  // The history list's own menu: "Compile again" (for the row chosen) and "Refresh all catalogs...".
  std::unique_ptr<wxMenu> MakeHistoryMenu() const;

  // True while a conversion run or a line count is working.
  bool IsBusy() const { return m_bBusy; }
  // Times the window was let paint during work, since construction.
  int RepaintCount() const { return m_nRepaints; }
  // Times the progress bar was told a new position, since construction.
  int ProgressUpdateCount() const { return m_nProgressUpdates; }

  CCatalog m_catalog;
  const wxIconBundle m_hIcon;
  // Where the download command fetches ASTORB and MPCORB from (the tests' own server).
  std::string m_strDownloadUrl = kAstorbDownloadUrl;
  std::string m_strMpcorbDownloadUrl = kMpcorbDownloadUrl;

  // WindowServices.
  void PullTexts() override;
  void PushTexts() override;
  void ShowTotal(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int pos) override;
  void DeleteAllRows() override;
  void InsertRow(int row, const std::string& text) override;
  void SetCell(int row, int column, const std::string& text) override;
  LocalTime CurrentTime() override;

  bool TransferDataToWindow() override;
  bool TransferDataFromWindow() override;

 private:
  void CreateControls();
  void CreateHistoryColumns();
  void BindCommands();
  void SetUpMenuCommands();
  static wxString DownloadMenuLabel();
  static wxString SelectMenuLabel();
  static wxString RefreshMenuLabel();
  void OnHistoryMenu(wxContextMenuEvent& event);
  // The age of the source's elements, in the Total's tooltip.
  void ShowSourceAge();
  // A file's modification time (seconds since 1970), 0 when it cannot be told.
  static std::int64_t ModifiedTime(const std::string& path);

  // Runs `work` with all input to the program's windows refused, letting
  // the progress bar and the Total repaint now and then.
  void RunBusy(const std::function<void()>& work);
  void RepaintIfDue();
  // Tells the progress bar the position last set, when it shows another.
  void ShowProgress();
  // Binds a button to a command that is ignored while work runs.
  void BindCommand(int id, void (CCatalogDlg::*command)());

  void OnEndButton(wxCommandEvent& event);
  void OnCloseWindow(wxCloseEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OpenAboutBox();

  // Gives the keyboard focus, when it goes, to `to` or else back to the
  // control of the window that had it when it was made. After a modal dialog
  // GTK leaves the focus nowhere, and Tab would start again at the first field.
  class FocusKeeper {
   public:
    explicit FocusKeeper(wxWindow& window, wxWindow* to = nullptr);
    ~FocusKeeper();

   private:
    wxWindow& m_window;
    const wxWeakRef<wxWindow> m_focus;
  };

#ifdef __WXMSW__
  WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
  bool MSWProcessMessage(WXMSG* message) override;
  // The button after the focus that shares the mnemonic `key` with another
  // one, or null when no two buttons share it.
  wxWindow* NextSharingMnemonic(wxUniChar key);
#endif

  wxTextCtrl* m_editSource = nullptr;
  wxStaticText* m_total = nullptr;
  wxTextCtrl* m_editFilter = nullptr;
  wxTextCtrl* m_editOutput = nullptr;
  wxGauge* m_progress = nullptr;
  wxListCtrl* m_history = nullptr;

  int m_nProgressLower = 0;
  int m_nProgressRange = 1;
  int m_nProgressPos = 0;    // as the catalog last set it, from the lower bound
  int m_nProgressShown = 0;  // as the bar shows it
  int m_nProgressUpdates = 0;
  bool m_bBusy = false;
  int m_nRepaints = 0;
  RepaintThrottle m_repaint;
};

}  // namespace orbivane
