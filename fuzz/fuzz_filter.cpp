// The filter text through ParseFilter and IsSelected. After every parse:
// at most 1000 ranges, from <= to, both non-negative, ranges in the order of
// their tokens (checked against a plain re-reading of the text), and
// IsSelected and the run's SelectionCursor agree with a scan of the ranges.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filter_table.h"
#include "fuzz_support.h"
#include "selection_cursor.h"

namespace {

using orbivane::FilterRange;
using orbivane::FilterTable;
using orbivane::FilterVerdict;

struct Expected {
  FilterVerdict verdict;
  std::vector<FilterRange> ranges;
};

// The filter rules read straight from the text, without the table.
Expected ReadFilter(std::string_view text) {
  if (text.empty()) return {FilterVerdict::kEmpty, {}};
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '-')) return {FilterVerdict::kInvalidSymbols, {}};
  }
  Expected expected{FilterVerdict::kParsed, {}};
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view token = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    std::vector<long long> numbers;
    for (std::size_t i = 0; i < token.size();) {
      if (token[i] < '0' || token[i] > '9') {
        ++i;
        continue;
      }
      long long value = 0;
      for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (token[i] - '0'), 1LL << 40);
      }
      numbers.push_back(value);
    }
    for (long long n : numbers) {
      if (n > std::numeric_limits<std::int32_t>::max()) return {FilterVerdict::kNumberTooLarge, {}};
    }
    if (!numbers.empty() && numbers.front() <= numbers.back()) {
      if (expected.ranges.size() == 1000) return {FilterVerdict::kTooManyRanges, {}};
      expected.ranges.push_back({static_cast<std::int32_t>(numbers.front()), static_cast<std::int32_t>(numbers.back())});
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return expected;
}

bool Scan(const std::vector<FilterRange>& ranges, std::int64_t n) {
  for (const FilterRange& r : ranges) {
    if (r.from <= n && n <= r.to) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static FilterTable table;  // reused, as the window reuses its table
  const FilterVerdict verdict = table.ParseFilter(text);
  const Expected expected = ReadFilter(text);

  FUZZ_CHECK(table.m_nRanges >= 0 && table.m_nRanges <= orbivane::kMaxRanges, "count %d", table.m_nRanges);
  FUZZ_CHECK(verdict == expected.verdict, "verdict %d, expected %d", static_cast<int>(verdict),
             static_cast<int>(expected.verdict));
  FUZZ_CHECK(static_cast<std::size_t>(table.m_nRanges) == expected.ranges.size(), "count %d, expected %zu",
             table.m_nRanges, expected.ranges.size());
  std::vector<FilterRange> stored(table.m_ranges, table.m_ranges + table.m_nRanges);
  std::int32_t highest = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    FUZZ_CHECK(stored[i].from >= 0 && stored[i].from <= stored[i].to, "range %zu is [%d,%d]", i, stored[i].from,
               stored[i].to);
    FUZZ_CHECK(stored[i].from == expected.ranges[i].from && stored[i].to == expected.ranges[i].to,
               "range %zu is [%d,%d], typed [%d,%d]", i, stored[i].from, stored[i].to, expected.ranges[i].from,
               expected.ranges[i].to);
    highest = std::max(highest, stored[i].to);
  }
  FUZZ_CHECK(table.HighestNumber() == highest, "highest %d, expected %d", table.HighestNumber(), highest);

  // Probe the ends of every range and their neighbours, plus the extremes.
  std::vector<std::int64_t> probes{std::numeric_limits<std::int32_t>::min(), -1, 0, 1,
                                   std::numeric_limits<std::int32_t>::max()};
  for (const FilterRange& r : stored) {
    for (std::int64_t n : {std::int64_t{r.from} - 1, std::int64_t{r.from}, std::int64_t{r.from} + 1,
                           std::int64_t{r.to} - 1, std::int64_t{r.to}, std::int64_t{r.to} + 1}) {
      if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max()) probes.push_back(n);
    }
  }
  std::sort(probes.begin(), probes.end());
  probes.erase(std::unique(probes.begin(), probes.end()), probes.end());
  orbivane::SelectionCursor cursor(table);
  for (std::int64_t n : probes) {
    const bool scanned = Scan(stored, n);
    FUZZ_CHECK(table.IsSelected(static_cast<std::int32_t>(n)) == scanned, "IsSelected(%lld)", static_cast<long long>(n));
    FUZZ_CHECK(cursor.IsSelected(n) == scanned, "SelectionCursor(%lld)", static_cast<long long>(n));
  }
  return 0;
}
