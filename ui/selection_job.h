// A preview or a run of a selection on a thread of its own, so that the
// window keeps painting and taking input while it reads the source. The
// window's thread looks at it now and then (a timer), cancels it, and takes
// its outcome once it is done.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "selection.h"

namespace orbivane {

class SelectionJob : private SelectionProgress {
 public:
  using Work = std::function<SelectionOutcome(SelectionProgress*, const std::atomic<bool>*)>;

  // Starts `work` at once.
  explicit SelectionJob(Work work);
  // Cancels the work when it still runs, and waits for its thread.
  ~SelectionJob() override;
  SelectionJob(const SelectionJob&) = delete;
  SelectionJob& operator=(const SelectionJob&) = delete;

  void Cancel() { m_cancel = true; }
  bool IsDone() const { return m_done; }
  // The lines read so far.
  std::int64_t LinesRead() const { return m_lines; }
  // Waits for the work to end; its outcome.
  const SelectionOutcome& Outcome();

 private:
  // On the work's thread (or threads).
  void OnLines(std::int64_t read) override { m_lines = read; }

  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_done{false};
  std::atomic<std::int64_t> m_lines{0};
  SelectionOutcome m_outcome;  // written by the thread before m_done
  std::thread m_thread;
};

}  // namespace orbivane
