// Answers IsSelected for a run that asks about the numbers in rising order:
// the ranges sorted and merged once, then walked with a cursor, so each line
// costs a comparison or two instead of a scan of up to 1000 ranges.
#pragma once

#include <cstdint>
#include <vector>

#include "filter_table.h"

namespace orbivane {

class SelectionCursor {
 public:
  explicit SelectionCursor(const FilterTable& table);

  // Same answer as FilterTable::IsSelected; n must not decrease between calls.
  bool IsSelected(std::int64_t n) {
    while (next_ < merged_.size() && n > merged_[next_].to) ++next_;
    return next_ < merged_.size() && n >= merged_[next_].from;
  }
  // The smallest selected number from n on, INT64_MAX when there is none; n
  // must not decrease between calls, of either kind.
  std::int64_t NextSelected(std::int64_t n) {
    while (next_ < merged_.size() && n > merged_[next_].to) ++next_;
    if (next_ == merged_.size()) return INT64_MAX;
    return n > merged_[next_].from ? n : merged_[next_].from;
  }

 private:
  struct Span {
    std::int64_t from;
    std::int64_t to;
  };
  std::vector<Span> merged_;
  std::size_t next_ = 0;
};

}  // namespace orbivane
