#include "overlapped_check.h"

namespace orbivane {

OverlappedCheck::OverlappedCheck() : worker_([this] { Work(); }) { waiting_.reserve(kQueued); }

OverlappedCheck::~OverlappedCheck() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void OverlappedCheck::Work() {
  std::vector<char> piece;
  piece.reserve(kQueued);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
    if (waiting_.empty()) return;  // stopped
    piece.swap(waiting_);
    busy_ = true;
    const bool refused = refused_;
    lock.unlock();
    changed_.notify_all();  // room for the transfer's next bytes
    const bool passed = refused || check_.Feed(piece.data(), piece.size());
    piece.clear();
    lock.lock();
    busy_ = false;
    if (!passed) refused_ = true;
    changed_.notify_all();
  }
}

bool OverlappedCheck::Feed(const char* data, std::size_t size) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return refused_ || waiting_.empty() || waiting_.size() + size <= kQueued; });
    if (refused_) return false;
    waiting_.insert(waiting_.end(), data, data + size);
  }
  changed_.notify_all();
  return true;
}

bool OverlappedCheck::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.empty() && !busy_; });
  return !refused_;
}

bool OverlappedCheck::Finish() { return Drain() && check_.Finish(); }

void OverlappedCheck::Reset() {
  Drain();
  const std::lock_guard<std::mutex> lock(mutex_);
  check_.Reset();
  refused_ = false;
}

}  // namespace orbivane
