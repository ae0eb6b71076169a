// Paces the repaints of a busy window: a long synchronous job reports its
// progress far more often than a screen can show it, so the window is let
// paint at most about thirty times a second.
#pragma once

#include <chrono>

namespace orbivane {

class RepaintThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{33};

  // True when a repaint is due at `now`; the first call is always due.
  bool Due(Clock::time_point now) {
    if (started_ && now - last_ < kInterval) return false;
    started_ = true;
    last_ = now;
    return true;
  }
  bool Due() { return Due(Clock::now()); }

  // The next call is due again (a new job starts).
  void Reset() { started_ = false; }

 private:
  bool started_ = false;
  Clock::time_point last_{};
};

}  // namespace orbivane
