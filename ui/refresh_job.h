// A refresh on a thread of its own, so that the window keeps painting while
// it reads the source: first, when asked, the download of the newest ASTORB
// into the source, then every catalog compiled again. The window's thread
// looks at it now and then (a timer), cancels it, and takes its outcome
// once it is done.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "astorb_download.h"
#include "later_history_rows.h"
#include "refresh.h"

namespace orbivane {

struct RefreshPlan {
  std::vector<RefreshCatalog> catalogs;
  std::string source;
  std::string workDir;
  bool download = false;      // the newest first, into `source`
  DownloadOptions options;    // of the download (options.target is the source)
};

class RefreshJob : private RefreshObserver, private DownloadObserver {
 public:
  // Starts at once; the runs' history rows wait in Rows() for the window's thread.
  RefreshJob(RefreshPlan plan, std::function<LocalTime()> clock);
  // Cancels the work when it still runs, and waits for its thread.
  ~RefreshJob() override;
  RefreshJob(const RefreshJob&) = delete;
  RefreshJob& operator=(const RefreshJob&) = delete;

  void Cancel() { m_cancel = true; }
  bool IsDone() const { return m_done; }

  struct Progress {
    bool downloading = false;
    DownloadProgress download;
    std::int64_t read = 0, upTo = 0;     // lines of the pass going
    std::vector<RefreshOutcome> outcomes;  // as far as known
  };
  Progress Now();

  // Once done: the download's result (outcome kFailed and no message without one asked) and the rows to show.
  const DownloadResult& Download() const { return m_download; }
  LaterHistoryRows& Rows() { return m_rows; }

 private:
  void Work();
  // On the work's thread.
  void OnProgress(const DownloadProgress& progress) override;
  void OnLines(std::int64_t read, std::int64_t upTo) override;
  void OnCatalogDone(std::size_t index, const RefreshOutcome& outcome) override;

  const RefreshPlan m_plan;
  LaterHistoryRows m_rows;
  std::mutex m_mutex;
  Progress m_progress;  // guarded by m_mutex
  DownloadResult m_download;  // written by the thread before m_done
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};

}  // namespace orbivane
