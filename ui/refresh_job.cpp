#include "refresh_job.h"

#include <utility>

namespace orbivane {

RefreshJob::RefreshJob(RefreshPlan plan, std::function<LocalTime()> clock)
    : m_plan(std::move(plan)), m_rows(std::move(clock)) {
  m_progress.outcomes.resize(m_plan.catalogs.size());
  m_thread = std::thread([this] { Work(); });
}

RefreshJob::~RefreshJob() {
  m_cancel = true;
  if (m_thread.joinable()) m_thread.join();
}

void RefreshJob::Work() {
  if (m_plan.download) {
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      m_progress.downloading = true;
    }
    const auto transport = MakeHttpTransport();
    m_download = DownloadAstorb(m_plan.options, *transport, this, &m_cancel);
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      m_progress.downloading = false;
    }
    // A download that failed or was cancelled compiles nothing: the catalogs stay as they are.
    if (m_download.outcome != DownloadOutcome::kDownloaded && m_download.outcome != DownloadOutcome::kUnchanged) {
      m_done = true;
      return;
    }
  }
  RefreshCatalogs(m_plan.catalogs, m_plan.source, m_plan.workDir, m_rows, this, &m_cancel);
  m_done = true;
}

RefreshJob::Progress RefreshJob::Now() {
  const std::lock_guard<std::mutex> lock(m_mutex);
  return m_progress;
}

void RefreshJob::OnProgress(const DownloadProgress& progress) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_progress.download = progress;
}

void RefreshJob::OnLines(std::int64_t read, std::int64_t upTo) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_progress.read = read;
  m_progress.upTo = upTo;
}

void RefreshJob::OnCatalogDone(std::size_t index, const RefreshOutcome& outcome) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_progress.outcomes[index] = outcome;
}

}  // namespace orbivane
