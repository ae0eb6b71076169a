// The download dialog (template IDD_DOWNLOAD): the address, a gauge, the
// bytes so far and the speed ("41.6 of 104.2 MB, 5.3 MB/s"), and Cancel. The
// download runs on a thread of its own, so the program's windows keep
// painting; Cancel, Escape or the close box end it within half a second and
// keep the part file for the next download to resume.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include <wx/timer.h>

#include "astorb_download.h"
#include "pattern_dlg.h"

class wxButton;
class wxGauge;

namespace orbivane {

class CDownloadDlg : public CPatternDlg, private DownloadObserver {
 public:
  // Starts the download at once; the dialog ends itself when it has ended.
  CDownloadDlg(wxWindow* parent, const DownloadOptions& options);
  // Cancels a download still running and waits for its thread.
  ~CDownloadDlg() override;

  // True once the download has ended; the result is then ready.
  bool IsDone() const { return m_bDone; }
  // What Cancel does: asks the download to stop; the dialog ends when it has.
  void OnCancel();
  // How the download ended; waits for it to end.
  const DownloadResult& Result();

 private:
  // On the download's thread: keeps the newest figures for the timer.
  void OnProgress(const DownloadProgress& progress) override;
  // On the window's thread, ten times a second: shows the figures, and ends
  // the dialog once the download has ended.
  void ShowProgress();

  wxGauge* m_gauge = nullptr;
  wxButton* m_cancelButton = nullptr;
  wxTimer m_timer;

  std::mutex m_mutex;
  DownloadProgress m_progress;  // guarded by m_mutex
  std::atomic<bool> m_bCancel{false};
  std::atomic<bool> m_bDone{false};
  DownloadResult m_result;  // written by the thread before m_bDone
  std::thread m_worker;
};

}  // namespace orbivane
