// How one line of a source fares under each criterion of a selection. The
// criteria are worked out once (the Earth over the window, the names) and
// shared by every thread of a run; each thread judges with a judge of its own.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apparition.h"
#include "filter_table.h"
#include "selection.h"
#include "selection_cursor.h"
#include "source_format.h"

namespace orbivane {

// The counts of some lines, with their epochs as Julian dates so that tallies merge without the calendar.
struct LineTally {
  SelectionCounts counts;
  double firstEpoch = std::numeric_limits<double>::infinity();
  double lastEpoch = -std::numeric_limits<double>::infinity();

  void Add(const LineTally& other);
};

// A checked selection, ready for the lines.
class Criteria {
 public:
  explicit Criteria(const Selection& selection);
  const Selection& selection() const { return selection_; }

 private:
  friend class LineJudge;
  const Selection selection_;
  FilterTable table_;
  std::unique_ptr<sky::DayWindow> window_;  // with a brightness criterion
  std::vector<long long> numbers_;
  std::vector<std::string> names_;  // in small letters
};

class LineJudge {
 public:
  explicit LineJudge(const Criteria& criteria);

  // Judges entry n, a line of a source of the given format, which comes after every line this judge has judged;
  // true when it passes every criterion.
  bool Judged(std::int64_t n, std::string_view line, LineTally& tally, KeptLine& verdict,
              SourceFormat format = SourceFormat::kAstorb);

 private:
  bool NamePasses(int number, std::string_view line, SourceFormat format) const;

  const Criteria& criteria_;
  std::optional<SelectionCursor> cursor_;  // with a range filter
  // Nearly every line of a catalog has the same epoch: the last one's Julian date is kept.
  sky::CalendarDay lastEpoch_;
  std::optional<double> lastEpochDate_;
};

}  // namespace orbivane
