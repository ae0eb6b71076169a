// The download check on a thread of its own, so that inflating the body
// overlaps its transfer instead of following it: the transfer hands each
// piece over and goes on receiving while the check works through the pieces
// before it. At most kQueued bytes wait, so memory stays flat however far the
// network runs ahead.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gzip_check.h"

namespace orbivane {

class OverlappedCheck {
 public:
  static constexpr std::size_t kQueued = 512 * 1024;

  OverlappedCheck();
  ~OverlappedCheck();
  OverlappedCheck(const OverlappedCheck&) = delete;
  OverlappedCheck& operator=(const OverlappedCheck&) = delete;

  // Hands over the next bytes; false once the check has refused bytes given
  // before (a refusal may be found a few pieces late, or only by Drain).
  bool Feed(const char* data, std::size_t size);
  // Waits until every byte given is checked; false if they were refused.
  bool Drain();
  // After the last byte: whether the whole body passed.
  bool Finish();
  // Forgets everything, for a body that starts over.
  void Reset();

  // As GzipCheck's, once Drain, Finish or a false Feed has returned.
  const std::string& problem() const { return check_.problem(); }
  std::int64_t lines() const { return check_.lines(); }
  const EpochTally& epochs() const { return check_.epochs(); }

 private:
  void Work();

  GzipCheck check_;  // used by the worker while bytes wait, else by the caller
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<char> waiting_;  // guarded by mutex_
  bool busy_ = false;          // the worker is checking a piece; guarded
  bool refused_ = false;       // guarded
  bool stop_ = false;          // guarded
  std::thread worker_;
};

}  // namespace orbivane
