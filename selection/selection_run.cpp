// One pass over the source on every core: this thread reads the lines into
// batches, the other threads (and this one when they fall behind) judge a
// batch each by every criterion (the preview counts each on its own), and
// this thread merges the judged batches in line order, so the counts and the
// lines kept are the same whatever thread judged what. The lines passing all
// criteria compete for the N places; a run writes the winners' records in
// line order.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <thread>

#include "astorb_record.h"
#include "catalog_writer.h"
#include "file_message.h"
#include "named_stream.h"
#include "output_clash.h"
#include "recipe.h"
#include "selection.h"
#include "selection_judge.h"
#include "source_lines.h"

namespace orbivane {

namespace {

// Lines a batch holds: small enough that a cancel or the progress is not held up by a batch of lines each judged
// over a long window, large enough that handing it over costs nothing next to judging it.
constexpr std::size_t kBatchLines = 1024;

// The N best lines so far: the brightest peak, or the smallest H, earlier lines first among equals. The order is
// total, so the winners do not depend on the order the lines come in.
class Contest {
 public:
  Contest(int places, bool byPeak, bool keepText) : places_(places), byPeak_(byPeak), keepText_(keepText) {}

  void Enter(const KeptLine& entrant, std::string_view line) {
    const Key key{byPeak_ ? entrant.peak.value_or(0) : entrant.h, entrant.line};
    if (static_cast<int>(best_.size()) == places_) {
      if (!(key < best_.top().key)) return;
      free_.push_back(best_.top().slot);
      best_.pop();
    }
    std::size_t slot = lines_.size();
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      lines_.emplace_back();
      texts_.emplace_back();
    }
    lines_[slot] = entrant;
    if (keepText_) texts_[slot].assign(line);
    best_.push({key, slot});
  }

  // The winners in line order.
  std::vector<std::size_t> InLineOrder() const {
    std::vector<std::size_t> slots;
    for (auto copy = best_; !copy.empty(); copy.pop()) slots.push_back(copy.top().slot);
    std::sort(slots.begin(), slots.end(),
              [this](std::size_t a, std::size_t b) { return lines_[a].line < lines_[b].line; });
    return slots;
  }
  const KeptLine& Line(std::size_t slot) const { return lines_[slot]; }
  const std::string& Text(std::size_t slot) const { return texts_[slot]; }

 private:
  struct Key {
    double value;
    std::int64_t line;
    bool operator<(const Key& other) const {
      return value < other.value || (value == other.value && line < other.line);
    }
  };
  struct Entry {
    Key key;
    std::size_t slot;
    bool operator<(const Entry& other) const { return key < other.key; }
  };

  const int places_;
  const bool byPeak_;
  const bool keepText_;
  std::priority_queue<Entry> best_;  // the worst on top
  std::vector<KeptLine> lines_;
  std::vector<std::string> texts_;
  std::vector<std::size_t> free_;
};

// Consecutive lines of the source and, once judged, what became of them.
struct Batch {
  std::int64_t first = 0;           // the number of its first line
  SourceFormat format = SourceFormat::kAstorb;
  std::string text;                 // the lines one after another
  std::vector<std::uint32_t> ends;  // where each line ends in `text`
  bool judged = false;
  LineTally tally;
  std::vector<std::pair<KeptLine, std::uint32_t>> passed;  // and the index of the line

  std::string_view Line(std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(begin, ends[i] - begin);
  }
};

void Judge(Batch& batch, LineJudge& judge, const std::atomic<bool>* cancel) {
  KeptLine verdict;
  for (std::size_t i = 0; i < batch.ends.size(); ++i) {
    // A line judged over a long window takes a while: a cancel is seen within one.
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return;
    if (judge.Judged(batch.first + static_cast<std::int64_t>(i), batch.Line(i), batch.tally, verdict, batch.format)) {
      batch.passed.emplace_back(verdict, static_cast<std::uint32_t>(i));
    }
  }
}

// The batches between the reader and the contest, and the threads that judge them.
class Pipeline {
 public:
  Pipeline(const Criteria& criteria, const std::atomic<bool>* cancel) : criteria_(criteria), cancel_(cancel) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    maxInFlight_ = 4 * cores;
    for (unsigned i = 1; i < cores; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~Pipeline() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    workReady_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  // A batch to fill, once the batches in flight leave room for it. Judges a batch here while the other threads
  // have enough to do, and hands every judged batch at the front to `merge`, in line order.
  template <class Merge>
  Batch& NextToFill(Merge merge) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      MergeFront(lock, merge);
      if (inFlight_.size() < maxInFlight_) break;
      if (todo_.size() > workers_.size() || (!todo_.empty() && workers_.empty())) {
        JudgeHere(lock);
      } else {
        batchJudged_.wait(lock);
      }
    }
    std::unique_ptr<Batch> batch;
    if (!spare_.empty()) {
      batch = std::move(spare_.back());
      spare_.pop_back();
    } else {
      batch = std::make_unique<Batch>();
    }
    batch->text.clear();
    batch->ends.clear();
    batch->passed.clear();
    batch->tally = {};
    batch->judged = false;
    inFlight_.push_back(std::move(batch));
    return *inFlight_.back();
  }

  // Hands the batch NextToFill gave over to be judged.
  void Filled() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      todo_.push_back(inFlight_.back().get());
    }
    workReady_.notify_one();
  }

  // Judges what is left, here too, and merges every batch.
  template <class Merge>
  void Finish(Merge merge) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!inFlight_.empty()) {
      MergeFront(lock, merge);
      if (!todo_.empty()) {
        JudgeHere(lock);
      } else if (!inFlight_.empty()) {
        batchJudged_.wait(lock);
      }
    }
  }

 private:
  template <class Merge>
  void MergeFront(std::unique_lock<std::mutex>& lock, Merge merge) {
    while (!inFlight_.empty() && inFlight_.front()->judged) {
      std::unique_ptr<Batch> batch = std::move(inFlight_.front());
      inFlight_.pop_front();
      lock.unlock();
      merge(*batch);
      lock.lock();
      spare_.push_back(std::move(batch));
    }
  }

  void JudgeHere(std::unique_lock<std::mutex>& lock) {
    Batch* batch = todo_.front();
    todo_.pop_front();
    lock.unlock();
    if (!judge_) judge_.emplace(criteria_);
    Judge(*batch, *judge_, cancel_);
    lock.lock();
    batch->judged = true;
  }

  void Work() {
    LineJudge judge(criteria_);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      workReady_.wait(lock, [this] { return stopping_ || !todo_.empty(); });
      if (todo_.empty()) return;
      Batch* batch = todo_.front();
      todo_.pop_front();
      lock.unlock();
      Judge(*batch, judge, cancel_);
      lock.lock();
      batch->judged = true;
      batchJudged_.notify_one();
    }
  }

  const Criteria& criteria_;
  const std::atomic<bool>* cancel_;
  std::optional<LineJudge> judge_;  // this thread's; each thread judges its batches in line order
  std::mutex mutex_;
  std::condition_variable workReady_, batchJudged_;
  std::deque<std::unique_ptr<Batch>> inFlight_;  // read and not yet merged, in line order
  std::deque<Batch*> todo_;                      // of those, the ones no thread has begun
  std::vector<std::unique_ptr<Batch>> spare_;
  std::size_t maxInFlight_ = 4;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

// Opens the source first, as the conversion does: a check of the output's path then sees a pipe or a device as
// it is being read.
bool Opened(OsFile& file, const std::string& source, SelectionOutcome& refused) {
  if (const int err = OpenSource(file, source); err != 0) {
    refused.message = FileMessage("open", "source catalog", source, err);
    return false;
  }
  return true;
}

// Reads the whole source; `contest` gets every entry that passes, `format` the source's format.
SelectionOutcome ReadAndJudge(OsFile& file, const std::string& source, const Criteria& criteria, Contest& contest,
                              SelectionProgress* progress, const std::atomic<bool>* cancel, SourceFormat& format) {
  SelectionOutcome outcome;
  LineTally total;
  const auto merge = [&](const Batch& batch) {
    total.Add(batch.tally);
    for (const auto& [verdict, index] : batch.passed) contest.Enter(verdict, batch.Line(index));
    if (progress != nullptr) progress->OnLines(total.counts.lines);
  };
  SourceLines reader(file);
  format = reader.format();
  std::int64_t n = 0;
  {
    Pipeline pipeline(criteria, cancel);
    std::string_view line;
    bool more = true;
    while (more && !Cancelled(cancel)) {
      Batch& batch = pipeline.NextToFill(merge);
      batch.first = n + 1;
      batch.format = format;
      while (batch.ends.size() < kBatchLines && (more = reader.Next(line))) {
        batch.text.append(line);
        batch.ends.push_back(static_cast<std::uint32_t>(batch.text.size()));
      }
      n += static_cast<std::int64_t>(batch.ends.size());
      pipeline.Filled();
    }
    pipeline.Finish(merge);
  }
  if (Cancelled(cancel)) {
    outcome.result = SelectionOutcome::Result::kCancelled;
    return outcome;
  }
  if (reader.failed()) {
    outcome.result = SelectionOutcome::Result::kFailed;
    outcome.message = reader.FailureMessage(source);
    return outcome;
  }
  outcome.counts = total.counts;
  const std::vector<std::size_t> slots = contest.InLineOrder();
  outcome.counts.kept = static_cast<std::int64_t>(slots.size());
  for (const std::size_t slot : slots) outcome.kept.push_back(contest.Line(slot));
  return outcome;
}

// The selection a run judges by: the one its recipe writes out (numbers to two decimals, names without the blanks
// around them), so that the recipe taken back selects the very same lines. None, and why, for a refused one.
std::optional<Selection> Canonical(const Selection& selection, SelectionOutcome& refused) {
  refused.result = SelectionOutcome::Result::kFailed;
  if (refused.message = CheckSelection(selection); !refused.message.empty()) return std::nullopt;
  return SelectionOfRecipe(RecipeOf(selection), refused.message);
}

}  // namespace

SelectionOutcome PreviewSelection(const std::string& source, const Selection& selection,
                                  SelectionProgress* progress, const std::atomic<bool>* cancel) {
  SelectionOutcome refused;
  const std::optional<Selection> canonical = Canonical(selection, refused);
  OsFile file;
  if (!canonical || !Opened(file, source, refused)) return refused;
  const Criteria criteria(*canonical);
  Contest contest(canonical->maxKept, canonical->brighterThan.has_value(), false);
  SourceFormat format;
  return ReadAndJudge(file, source, criteria, contest, progress, cancel, format);
}

SelectionOutcome RunSelection(CCatalog& catalog, const Selection& selection, SelectionProgress* progress,
                              const std::atomic<bool>* cancel) {
  SelectionOutcome refused;
  const std::optional<Selection> canonical = Canonical(selection, refused);
  OsFile file;
  if (!canonical || !Opened(file, catalog.m_strSourcePath, refused)) return refused;
  refused.message = OutputClash(catalog.m_strSourcePath, catalog.m_strOutputPath, catalog.HistoryFilePath());
  if (!refused.message.empty()) return refused;
  CatalogWriter output;
  if (const Status opened = output.Open(catalog.m_strOutputPath); !opened) {
    refused.message = opened.message();
    return refused;
  }
  const Criteria criteria(*canonical);
  Contest contest(canonical->maxKept, canonical->brighterThan.has_value(), true);
  SourceFormat format;
  SelectionOutcome outcome =
      ReadAndJudge(file, catalog.m_strSourcePath, criteria, contest, progress, cancel, format);
  if (outcome.result != SelectionOutcome::Result::kDone) return outcome;  // the writer abandons its file
  std::string record;
  bool first = true;
  for (const std::size_t slot : contest.InLineOrder()) {
    record.clear();
    if (!first) record += "\r\n";
    first = false;
    AppendCatalogRecord(format, contest.Text(slot), record);
    output.Write(record);
  }
  if (const Status committed = output.Commit(); !committed) {
    outcome.result = SelectionOutcome::Result::kFailed;
    outcome.message = committed.message();
    return outcome;
  }
  // The run's time, as the window's Start takes it.
  const LocalTime now = catalog.CurrentTime();
  const Status recorded = catalog.AppendHistory(MakeHistoryRecord(
      now, catalog.m_strOutputPath, RecipeOf(*canonical), static_cast<int>(outcome.counts.kept)));
  outcome.recorded = recorded.ok();
  if (!recorded) {
    outcome.message =
        "The catalog was written, but the run could not be added to the history. " + recorded.message();
  }
  return outcome;
}

}  // namespace orbivane
