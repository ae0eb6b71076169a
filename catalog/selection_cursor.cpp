#include "selection_cursor.h"

#include <algorithm>

namespace orbivane {

SelectionCursor::SelectionCursor(const FilterTable& table) {
  merged_.reserve(static_cast<std::size_t>(table.m_nRanges));
  for (int i = 0; i < table.m_nRanges; ++i) merged_.push_back({table.m_ranges[i].from, table.m_ranges[i].to});
  std::sort(merged_.begin(), merged_.end(), [](const Span& a, const Span& b) { return a.from < b.from; });

  std::size_t kept = 0;
  for (const Span& span : merged_) {
    // Touching ranges merge too: [1,5] and [6,9] select the same numbers as [1,9].
    if (kept > 0 && span.from <= merged_[kept - 1].to + 1) {
      merged_[kept - 1].to = std::max(merged_[kept - 1].to, span.to);
    } else {
      merged_[kept++] = span;
    }
  }
  merged_.resize(kept);
}

}  // namespace orbivane
