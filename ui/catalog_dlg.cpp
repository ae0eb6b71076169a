#include "catalog_dlg.h"

#include <vector>

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

#include "about_dlg.h"
#include "browser.h"
#include "help_dlg.h"
#include "help_text.h"
#include "os_file.h"
#include "resource_ids.h"
#include "resources.h"
#include "selection_dlg.h"
#include "ui_texts.h"
#include "web_addresses.h"

namespace orbivane {

namespace {

std::string StartDirectory() {
  std::string directory;
  if (CurrentDirectory(directory) != 0) directory = ".";
  return directory;
}

}  // namespace

CCatalogDlg::CCatalogDlg(wxWindow* parent)
    : CPatternDlg(IDD_MAIN, parent, wxString::FromUTF8(kAppTitle), wxSize(377, 246), true),
      m_catalog(*this, StartDirectory()),
      m_hIcon(LoadAppIcons()) {
  CreateControls();
  CreateHistoryColumns();
  SetIcons(m_hIcon);
  SetUpMenuCommands();
  BindCommands();
  m_editSource->SetFocus();
}

CCatalogDlg::~CCatalogDlg() = default;

void CCatalogDlg::OnInitDialog() {
  if (const Status loaded = m_catalog.LoadHistory(); !loaded) ShowMessage(loaded.message());
}

void CCatalogDlg::BindCommand(int id, void (CCatalogDlg::*command)()) {
  Bind(
      wxEVT_BUTTON,
      [this, command](wxCommandEvent&) {
        if (!m_bBusy) (this->*command)();
      },
      id);
}

void CCatalogDlg::BindCommands() {
  BindCommand(IDC_BROWSE_SOURCE, &CCatalogDlg::OnBrowseSource);
  BindCommand(IDC_BROWSE_OUTPUT, &CCatalogDlg::OnBrowseOutput);
  BindCommand(IDC_START, &CCatalogDlg::OnStart);
  BindCommand(IDC_CLEAR_HISTORY, &CCatalogDlg::OnClearHistory);
  BindCommand(IDC_HELP_BUTTON, &CCatalogDlg::OnHelpButton);
  BindCommand(IDC_DOWNLOAD_CATALOGS, &CCatalogDlg::OnDownloadCatalogs);
  Bind(wxEVT_BUTTON, &CCatalogDlg::OnEndButton, this, wxID_OK);
  Bind(wxEVT_BUTTON, &CCatalogDlg::OnEndButton, this, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, &CCatalogDlg::OnCloseWindow, this);
  Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
    OnInitDialog();
    event.Skip();
  });
  // F1, the help key.
  Bind(wxEVT_MENU, [this](wxCommandEvent&) {
    if (!m_bBusy) OnHelpButton();
  }, ID_HELP);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent& event) { OnSysCommand(static_cast<unsigned>(event.GetId())); },
      IDM_ABOUTBOX, IDM_REFRESH + 0xF);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnCompileAgain(); }, IDM_COMPILE_AGAIN);
  m_history->Bind(wxEVT_CONTEXT_MENU, &CCatalogDlg::OnHistoryMenu, this);
}

void CCatalogDlg::SetUpMenuCommands() {
#ifdef __WXMSW__
  if (wxMenu* systemMenu = MSWGetSystemMenu()) {
    systemMenu->AppendSeparator();
    systemMenu->Append(IDM_REFRESH, RefreshMenuLabel());
    systemMenu->Append(IDM_SELECT, SelectMenuLabel());
    systemMenu->Append(IDM_DOWNLOAD_ASTORB, DownloadMenuLabel());
    systemMenu->Append(IDM_ABOUTBOX, wxString::FromUTF8(kAboutMenuText));
  }
  wxAcceleratorEntry keys[] = {{wxACCEL_NORMAL, WXK_F1, ID_HELP},
                               {wxACCEL_CTRL, 'D', IDM_DOWNLOAD_ASTORB},
                               {wxACCEL_CTRL, 'B', IDM_SELECT},
                               {wxACCEL_CTRL, 'R', IDM_REFRESH}};
#else
  // The window menu of these desktops cannot take an item, so the selection,
  // Download and About are on the background's context menu, and About on
  // Alt+A, which no edit field uses.
  Bind(wxEVT_CONTEXT_MENU, &CCatalogDlg::OnContextMenu, this);
  wxAcceleratorEntry keys[] = {{wxACCEL_NORMAL, WXK_F1, ID_HELP},
                               {wxACCEL_ALT, 'A', IDM_ABOUTBOX},
                               {wxACCEL_CTRL, 'D', IDM_DOWNLOAD_ASTORB},
                               {wxACCEL_CTRL, 'B', IDM_SELECT},
                               {wxACCEL_CTRL, 'R', IDM_REFRESH}};
#endif
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

#ifdef __WXMSW__
WXLRESULT CCatalogDlg::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) {
  constexpr WXUINT kSysCommand = 0x0112;  // WM_SYSCOMMAND
  if (message == kSysCommand &&
      (IsAboutCommand(static_cast<unsigned>(wParam)) || IsDownloadCommand(static_cast<unsigned>(wParam)) ||
       IsSelectCommand(static_cast<unsigned>(wParam)) || IsRefreshCommand(static_cast<unsigned>(wParam)))) {
    OnSysCommand(static_cast<unsigned>(wParam));
    return 0;
  }
  return CPatternDlg::MSWWindowProc(message, wParam, lParam);
}

// "Clear &History" and "&Help" share their mnemonic. Windows' dialog manager
// then only moves the focus between the two, as GTK does; Wine's presses the
// first, and a single key would clear the history. So a shared mnemonic,
// typed with Alt or on a control that takes no characters, moves the focus
// here, before the dialog manager sees it.
bool CCatalogDlg::MSWProcessMessage(WXMSG* message) {
  const bool typed = message->message == WM_SYSCHAR ||
                     (message->message == WM_CHAR &&
                      (::SendMessageW(message->hwnd, WM_GETDLGCODE, message->wParam,
                                      reinterpret_cast<LPARAM>(message)) & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) == 0);
  if (typed && !m_bBusy) {
    if (wxWindow* next = NextSharingMnemonic(static_cast<wxUniChar>(message->wParam))) {
      next->SetFocus();
      return true;
    }
  }
  return CPatternDlg::MSWProcessMessage(message);
}

wxWindow* CCatalogDlg::NextSharingMnemonic(wxUniChar key) {
  std::vector<wxWindow*> sharing;
  std::size_t after = 0;  // how many of them come before the focus, in tab order
  const wxWindow* focus = wxWindow::FindFocus();
  for (wxWindow* child : GetChildren()) {
    if (child == focus) after = sharing.size();
    auto* button = dynamic_cast<wxButton*>(child);
    if (button == nullptr || !button->IsShown() || !button->IsEnabled()) continue;
    wxString text;  // the label without its "&", where the mnemonic's index points
    const int at = wxControl::FindAccelIndex(button->GetLabel(), &text);
    if (at >= 0 && wxToupper(text[static_cast<std::size_t>(at)]) == wxToupper(key)) {
      sharing.push_back(button);
      if (child == focus) after = sharing.size();
    }
  }
  if (sharing.size() < 2) return nullptr;
  return sharing[after % sharing.size()];
}
#endif

wxString CCatalogDlg::DownloadMenuLabel() {
  return wxString::FromUTF8(kDownloadMenuText) + "\t" + kDownloadKeyText;
}

wxString CCatalogDlg::SelectMenuLabel() { return wxString::FromUTF8(kSelectMenuText) + "\t" + kSelectKeyText; }

std::unique_ptr<wxMenu> CCatalogDlg::MakeContextMenu() const {
  auto menu = std::make_unique<wxMenu>();
  menu->Append(IDM_REFRESH, RefreshMenuLabel());
  menu->Append(IDM_SELECT, SelectMenuLabel());
  menu->Append(IDM_DOWNLOAD_ASTORB, DownloadMenuLabel());
  menu->Append(IDM_ABOUTBOX, wxString::FromUTF8(kAboutMenuText));
  return menu;
}

void CCatalogDlg::OnContextMenu(wxContextMenuEvent& event) {
  // Only the background: the edit fields keep their own menus.
  if (event.GetEventObject() != this || m_bBusy) {
    event.Skip();
    return;
  }
  std::unique_ptr<wxMenu> menu = MakeContextMenu();
  PopupMenu(menu.get());
}

void CCatalogDlg::OnSysCommand(unsigned id) {
  if (m_bBusy) return;
  if (IsAboutCommand(id)) OpenAboutBox();
  if (IsDownloadCommand(id)) OnDownloadAstorb();
  if (IsSelectCommand(id)) OnSelect();
  if (IsRefreshCommand(id)) OnRefreshAll();
}

void CCatalogDlg::OpenAboutBox() {
  const FocusKeeper keep(*this);
  CAboutDlg about(this);
  about.ShowModal();
}

CCatalogDlg::FocusKeeper::FocusKeeper(wxWindow& window, wxWindow* to)
    : m_window(window), m_focus(to != nullptr ? to : wxWindow::FindFocus()) {}

CCatalogDlg::FocusKeeper::~FocusKeeper() {
  if (m_focus && wxGetTopLevelParent(m_focus) == &m_window) m_focus->SetFocus();
}

void CCatalogDlg::OnEndButton(wxCommandEvent& event) {
  if (m_bBusy) return;
  event.Skip();  // the dialog's own Exit and Cancel handling
}

void CCatalogDlg::OnCloseWindow(wxCloseEvent& event) {
  if (m_bBusy && event.CanVeto()) {
    event.Veto();
    return;
  }
  event.Skip();
}

void CCatalogDlg::RunBusy(const std::function<void()>& work) {
  const FocusKeeper keep(*this);
  struct BusyFlag {
    bool& flag;
    explicit BusyFlag(bool& f) : flag(f) { flag = true; }
    ~BusyFlag() { flag = false; }
  } busy(m_bBusy);
  {
    wxBusyCursor cursor;
    wxWindowDisabler disabler;
    m_repaint.Reset();
    work();
    ShowProgress();  // the final position
  }
}

void CCatalogDlg::RepaintIfDue() {
  if (!m_bBusy || !m_repaint.Due()) return;
  ShowProgress();
  ++m_nRepaints;
  // Input to the disabled windows is dropped, so only painting happens here.
  if (wxTheApp != nullptr) wxTheApp->Yield(true);
}

void CCatalogDlg::OnStart() {
  RunBusy([this] { (void)m_catalog.OnStart(); });
}

void CCatalogDlg::OnClearHistory() { m_catalog.OnClearHistory(); }

void CCatalogDlg::OnHelpButton() {
  const FocusKeeper keep(*this);
  CHelpDlg help(this);
  help.m_strHelpText = HelpText();
  help.ShowModal();
}

void CCatalogDlg::OnDownloadCatalogs() { OpenUrlInBrowser(kCompiledCatalogsUrl); }

void CCatalogDlg::OnSelect() {
  const FocusKeeper keep(*this);
  PullTexts();  // the source and the File name the selection starts from
  CSelectionDlg selection(this, m_catalog, *this);
  selection.ShowModal();
}

}  // namespace orbivane
