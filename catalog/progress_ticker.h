// Drives the progress bar of a conversion run: position n/10 for line n on a
// range of 0 to highest/10. The bar's bounds are 16-bit, so a longer run is
// scaled down evenly to fit; the bar is told only when its position changes.
#pragma once

#include <cstdint>

#include "window_services.h"

namespace orbivane {

class ProgressTicker {
 public:
  static constexpr std::int64_t kLargestBound = 65535;

  ProgressTicker(WindowServices& services, std::int32_t highest)
      : services_(services),
        divisor_(highest / 10 > kLargestBound ? (highest / 10 + kLargestBound - 1) / kLargestBound : 1),
        linesPerStep_(10 * divisor_) {
    services_.SetProgressRange(0, static_cast<int>(highest / 10 / divisor_));
  }

  // Line n of the run has been read; n rises by one from 1.
  void Line(std::int64_t n) {
    if (n < next_) return;
    services_.SetProgressPos(static_cast<int>(n / linesPerStep_));
    next_ = (n / linesPerStep_ + 1) * linesPerStep_;
  }

 private:
  WindowServices& services_;
  const std::int64_t divisor_;
  const std::int64_t linesPerStep_;
  std::int64_t next_ = 1;  // the first line sets position 0
};

}  // namespace orbivane
