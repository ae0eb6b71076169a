#include "selection_job.h"

#include <utility>

namespace orbivane {

SelectionJob::SelectionJob(Work work)
    : m_thread([this, work = std::move(work)] {
        m_outcome = work(this, &m_cancel);
        m_done = true;
      }) {}

SelectionJob::~SelectionJob() {
  m_cancel = true;
  if (m_thread.joinable()) m_thread.join();
}

const SelectionOutcome& SelectionJob::Outcome() {
  if (m_thread.joinable()) m_thread.join();
  return m_outcome;
}

}  // namespace orbivane
