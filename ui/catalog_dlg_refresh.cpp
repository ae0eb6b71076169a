// Compiling catalogs of the history again from the main window: the history
// list's own menu ("Compile again", "Refresh all catalogs..."), the refresh
// dialog, and the age of the source's elements in the Total's tooltip.
#include <ctime>

#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "catalog_dlg.h"
#include "os_file.h"
#include "refresh_dlg.h"
#include "refresh_job.h"
#include "resource_ids.h"
#include "ui_texts.h"

namespace orbivane {

wxString CCatalogDlg::RefreshMenuLabel() { return wxString::FromUTF8(kRefreshMenuText) + "\t" + kRefreshKeyText; }

std::unique_ptr<wxMenu> CCatalogDlg::MakeHistoryMenu() const {
  auto menu = std::make_unique<wxMenu>();
  menu->Append(IDM_COMPILE_AGAIN, wxString::FromUTF8(kCompileAgainMenuText));
  menu->Enable(IDM_COMPILE_AGAIN, m_history->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) >= 0);
  menu->Append(IDM_REFRESH, RefreshMenuLabel());
  return menu;
}

void CCatalogDlg::OnHistoryMenu(wxContextMenuEvent& event) {
  if (m_bBusy) return;
  // A right-click chooses the row under the pointer; the menu key keeps the row chosen.
  if (const wxPoint at = event.GetPosition(); at != wxDefaultPosition) {
    int flags = 0;
    const long row = m_history->HitTest(m_history->ScreenToClient(at), flags);
    if (row >= 0) m_history->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  }
  std::unique_ptr<wxMenu> menu = MakeHistoryMenu();
  PopupMenu(menu.get());
}

void CCatalogDlg::OnCompileAgain() {
  if (m_bBusy) return;
  const long row = m_history->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  std::vector<HistoryRecord> records;
  if (const Status read = ReadHistoryFile(m_catalog.HistoryFilePath(), records); !read) {
    ShowMessage(read.message());
    return;
  }
  // Row 0 is the newest record, the last of the file.
  if (row < 0 || static_cast<std::size_t>(row) >= records.size()) return;
  std::vector<RefreshCatalog> catalog =
      CatalogsOfHistory({records[records.size() - 1 - static_cast<std::size_t>(row)]});
  if (catalog.empty()) return;
  catalog[0].missing = false;  // asked for: a catalog that is gone is made again
  PullTexts();
  if (m_catalog.m_strSourcePath.empty()) {
    ShowMessage("Choose the source catalog first.");
    return;
  }
  RefreshPlan plan;
  plan.catalogs = catalog;
  plan.source = m_catalog.m_strSourcePath;
  plan.workDir = m_catalog.m_strWorkDir;
  RefreshOutcome outcome;
  // On a thread of its own, as a selection runs; the window paints meanwhile and takes no input.
  RunBusy([this, &plan, &outcome] {
    RefreshJob job(std::move(plan), [this] { return CurrentTime(); });
    SetProgressRange(0, 1000);
    SetProgressPos(0);
    while (!job.IsDone()) {
      const RefreshJob::Progress progress = job.Now();
      const std::int64_t of = progress.upTo > 0 ? progress.upTo : m_catalog.m_nTotal;
      if (of > 0) SetProgressPos(static_cast<int>(std::min(progress.read, of) * 1000 / of));
      wxMilliSleep(10);
    }
    SetProgressPos(1000);
    outcome = job.Now().outcomes.at(0);
    job.Rows().ShowOn(*this);
  });
  if (!outcome.message.empty()) ShowMessage(outcome.message);
}

void CCatalogDlg::OnRefreshAll() {
  if (m_bBusy) return;
  const FocusKeeper keep(*this);
  PullTexts();
  CRefreshDlg refresh(this, m_catalog, *this, m_strDownloadUrl);
  refresh.ShowModal();
  if (!refresh.Downloaded()) return;
  // The newest file becomes the source, its Total and epochs those the download's check counted.
  m_catalog.m_strSourcePath = refresh.Source();
  PushTexts();
  m_catalog.SetTotal(refresh.Download().lines);
  m_catalog.m_epochs = refresh.Download().epochs;
  m_catalog.m_sourceModified = ModifiedTime(refresh.Source());
  ShowSourceAge();
}

std::int64_t CCatalogDlg::ModifiedTime(const std::string& path) {
  FileInfo info;
  return StatPath(path, info) == 0 && info.exists ? info.modified : 0;
}

void CCatalogDlg::ShowSourceAge() {
  if (m_catalog.m_strSourcePath.empty()) {
    m_total->UnsetToolTip();
    return;
  }
  m_total->SetToolTip(wxString::FromUTF8(
      AgeSummary(m_catalog.m_epochs, m_catalog.m_sourceModified, std::time(nullptr))));
}

}  // namespace orbivane
