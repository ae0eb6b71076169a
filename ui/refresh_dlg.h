// Refresh all catalogs (template IDD_REFRESH): the source and how old its
// elements are, an offer to download the newest first (checked when they are
// more than 60 days from today), and a row for each catalog the history
// names (its path, selection, records before and after, result). Start runs
// the refresh on a thread of its own while the gauge moves; Close reads
// Cancel then, and a cancelled catalog keeps its previous file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <wx/timer.h>

#include "catalog.h"
#include "pattern_dlg.h"
#include "refresh_job.h"

class wxButton;
class wxCheckBox;
class wxGauge;
class wxListCtrl;

namespace orbivane {

class CRefreshDlg : public CPatternDlg {
 public:
  // Works on `main`'s source (its epochs as last counted) and history; the
  // new rows are shown through `window`; a download goes from `url` into
  // astorb.dat.gz in the source's folder.
  CRefreshDlg(wxWindow* parent, const CCatalog& main, WindowServices& window, const std::string& url);
  ~CRefreshDlg() override;

  void OnStart();
  // Close (and Escape, and the close box); during a run it cancels the run.
  void OnClose();

  bool IsRunning() const { return m_job != nullptr; }
  // After a run that downloaded: the new source and its lines and epochs, for the main window.
  bool Downloaded() const { return m_downloaded; }
  const DownloadResult& Download() const { return m_result; }
  const std::string& Source() const { return m_strSource; }

 private:
  static constexpr int kGaugeRange = 1000;

  void CreateControls();
  void ShowRow(std::size_t index, const RefreshOutcome& outcome);
  void OnTimer();
  void EndRun();
  void ShowStatus(const std::string& text);

  std::string m_strSource;
  const std::string m_strWorkDir;
  const std::string m_strUrl;
  WindowServices& m_window;
  std::vector<RefreshCatalog> m_catalogs;

  wxCheckBox* m_downloadBox = nullptr;
  wxListCtrl* m_list = nullptr;
  wxGauge* m_gauge = nullptr;
  wxButton* m_closeButton = nullptr;
  wxTimer m_timer;

  std::unique_ptr<RefreshJob> m_job;
  bool m_downloaded = false;
  DownloadResult m_result;
};

}  // namespace orbivane
