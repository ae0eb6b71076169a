// The refresh: the catalogs of range filters written in one pass over the
// source, then each selection in a pass of its own.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "catalog.h"
#include "catalog_writer.h"
#include "file_message.h"
#include "filter_table.h"
#include "source_lines.h"
#include "named_stream.h"
#include "output_clash.h"
#include "recipe.h"
#include "refresh.h"
#include "selection.h"
#include "selection_cursor.h"

namespace orbivane {

namespace {

constexpr std::int64_t kLinesBetweenLooks = 4096;

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

class Refresh {
 public:
  Refresh(const std::vector<RefreshCatalog>& catalogs, const std::string& source, const std::string& workDir,
          WindowServices& services, RefreshObserver* observer, const std::atomic<bool>* cancel)
      : catalogs_(catalogs), source_(source), workDir_(workDir), services_(services), observer_(observer),
        cancel_(cancel), outcomes_(catalogs.size()) {}

  std::vector<RefreshOutcome> Run() {
    for (std::size_t i = 0; i < catalogs_.size(); ++i) {
      if (catalogs_[i].missing) Done(i, RefreshResult::kSkipped);
    }
    CompileRanges();
    for (std::size_t i = 0; i < catalogs_.size(); ++i) {
      if (outcomes_[i].result == RefreshResult::kWaiting) CompileSelection(i);
    }
    return outcomes_;
  }

 private:
  // A catalog of a range filter in the shared pass.
  struct RangeJob {
    std::size_t index = 0;
    FilterTable table;
    std::optional<SelectionCursor> cursor;
    std::int64_t highest = 0;
    CatalogWriter writer;
    std::string record;
  };

  void Done(std::size_t index, RefreshResult result, std::string message = "") {
    outcomes_[index].result = result;
    outcomes_[index].message = std::move(message);
    if (observer_ != nullptr) observer_->OnCatalogDone(index, outcomes_[index]);
  }

  // The job's writer opened, or the catalog failed and none is made.
  std::unique_ptr<RangeJob> StartRangeJob(std::size_t index) {
    auto job = std::make_unique<RangeJob>();
    job->index = index;
    const FilterVerdict verdict = job->table.ParseFilter(catalogs_[index].filter);
    if (const char* refusal = FilterRefusalMessage(verdict)) {
      Done(index, RefreshResult::kFailed, refusal);
      return nullptr;
    }
    if (job->table.m_nRanges == 0) {
      Done(index, RefreshResult::kFailed, "the filter selects no asteroid");
      return nullptr;
    }
    const std::string& path = catalogs_[index].path;
    if (const std::string clash = OutputClash(source_, path, HistoryPath(workDir_)); !clash.empty()) {
      Done(index, RefreshResult::kFailed, clash);
      return nullptr;
    }
    if (const Status opened = job->writer.Open(path); !opened) {
      Done(index, RefreshResult::kFailed, opened.message());
      return nullptr;
    }
    job->highest = job->table.HighestNumber();
    job->cursor.emplace(job->table);
    return job;
  }

  // Moves the complete catalog into place and records the run, as Start does.
  void Finish(RangeJob& job) {
    RefreshOutcome& outcome = outcomes_[job.index];
    if (const Status committed = job.writer.Commit(); !committed) {
      Done(job.index, RefreshResult::kFailed, committed.message());
      return;
    }
    const RefreshCatalog& catalog = catalogs_[job.index];
    CCatalog history(services_, workDir_);
    const Status recorded = history.AppendHistory(
        MakeHistoryRecord(services_.CurrentTime(), catalog.path, catalog.filter, outcome.records));
    Done(job.index, RefreshResult::kCompiled,
         recorded ? "" : "The catalog was written, but the run could not be added to the history. " +
                             recorded.message());
  }

  // The next line number at which the job has something to do: a line to write, or its end.
  static std::int64_t NextEvent(RangeJob& job, std::int64_t n) {
    return std::min(job.cursor->NextSelected(n), job.highest + 1);
  }

  void CompileRanges() {
    std::vector<std::unique_ptr<RangeJob>> jobs;
    OsFile file;
    int openError = -1;
    for (std::size_t i = 0; i < catalogs_.size(); ++i) {
      if (outcomes_[i].result != RefreshResult::kWaiting || IsRecipe(catalogs_[i].filter)) continue;
      // The source is opened before the first output is made, as a conversion does.
      if (openError < 0) openError = OpenSource(file, source_);
      if (openError != 0) {
        Done(i, RefreshResult::kFailed, FileMessage("open", "source catalog", source_, openError));
        continue;
      }
      if (auto job = StartRangeJob(i)) jobs.push_back(std::move(job));
    }
    if (jobs.empty()) return;

    std::int64_t upTo = 0;
    for (const auto& job : jobs) upTo = std::max(upTo, job->highest);
    SourceLines reader(file);
    std::string_view line;
    std::int64_t event = 1;
    std::int64_t n = 1;
    bool cancelled = Cancelled(cancel_);
    for (; !cancelled && !jobs.empty() && n <= upTo && reader.Next(line); ++n) {
      if (n % kLinesBetweenLooks == 0) {
        if (observer_ != nullptr) observer_->OnLines(n, upTo);
        if ((cancelled = Cancelled(cancel_))) break;
      }
      if (n < event) continue;
      event = INT64_MAX;
      for (auto job = jobs.begin(); job != jobs.end();) {
        if (Step(**job, n, reader.format(), line)) {
          job = jobs.erase(job);
        } else {
          event = std::min(event, NextEvent(**job, n + 1));
          ++job;
        }
      }
    }
    for (const auto& job : jobs) {
      if (cancelled) {
        job->writer.Abandon();
        Done(job->index, RefreshResult::kCancelled);
      } else if (reader.failed()) {
        job->writer.Abandon();
        Done(job->index, RefreshResult::kFailed, reader.FailureMessage(source_));
      } else {
        Finish(*job);  // the source ended before the job's highest number, as a conversion ends there
      }
    }
    if (observer_ != nullptr && !cancelled) observer_->OnLines(n - 1, upTo);
  }

  // Entry n for one job; true when the job has ended (finished or failed).
  bool Step(RangeJob& job, std::int64_t n, SourceFormat format, std::string_view line) {
    if (n > job.highest) {
      Finish(job);
      return true;
    }
    if (!job.cursor->IsSelected(n)) return false;
    RefreshOutcome& outcome = outcomes_[job.index];
    job.record.clear();
    if (outcome.records != 0) job.record += "\r\n";
    AppendCatalogRecord(format, line, job.record);
    job.writer.Write(job.record);
    ++outcome.records;
    if (outcome.records == kMaxRecords) outcome.capped = true;
    if (job.writer.failed() || outcome.capped) {
      Finish(job);
      return true;
    }
    return false;
  }

  class SelectionLines final : public SelectionProgress {
   public:
    explicit SelectionLines(RefreshObserver* observer) : observer_(observer) {}
    void OnLines(std::int64_t read) override {
      if (observer_ != nullptr) observer_->OnLines(read, 0);
    }

   private:
    RefreshObserver* observer_;
  };

  void CompileSelection(std::size_t index) {
    const RefreshCatalog& catalog = catalogs_[index];
    if (Cancelled(cancel_)) {
      Done(index, RefreshResult::kCancelled);
      return;
    }
    std::string error;
    const std::optional<Selection> selection = SelectionOfRecipe(catalog.filter, error);
    if (!selection) {
      Done(index, RefreshResult::kFailed, error);
      return;
    }
    CCatalog run(services_, workDir_);
    run.m_strSourcePath = source_;
    run.m_strOutputPath = catalog.path;
    SelectionLines lines(observer_);
    const SelectionOutcome outcome = RunSelection(run, *selection, &lines, cancel_);
    outcomes_[index].records = static_cast<int>(outcome.counts.kept);
    switch (outcome.result) {
      case SelectionOutcome::Result::kDone:
        Done(index, RefreshResult::kCompiled, outcome.message);
        return;
      case SelectionOutcome::Result::kCancelled:
        Done(index, RefreshResult::kCancelled);
        return;
      case SelectionOutcome::Result::kFailed:
        outcomes_[index].records = 0;
        Done(index, RefreshResult::kFailed, outcome.message);
        return;
    }
  }

  const std::vector<RefreshCatalog>& catalogs_;
  const std::string& source_;
  const std::string& workDir_;
  WindowServices& services_;
  RefreshObserver* observer_;
  const std::atomic<bool>* cancel_;
  std::vector<RefreshOutcome> outcomes_;
};

}  // namespace

std::vector<RefreshOutcome> RefreshCatalogs(const std::vector<RefreshCatalog>& catalogs, const std::string& source,
                                            const std::string& workDir, WindowServices& services,
                                            RefreshObserver* observer, const std::atomic<bool>* cancel) {
  return Refresh(catalogs, source, workDir, services, observer, cancel).Run();
}

}  // namespace orbivane
