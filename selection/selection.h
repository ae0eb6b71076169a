// Catalogs of the asteroids a user can see: the lines of a source chosen by
// their predicted brightness over the user's dates, their H, orbit class and
// name, and the range filter of the window, the N brightest kept. Above the
// catalog (reading, records, history) and the sky (positions, brightness);
// the window and orbivane-cli both run it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendar.h"
#include "catalog.h"
#include "orbit_class.h"

namespace orbivane {

inline constexpr int kMaxKept = 30000;

// Every criterion is optional; those given combine with "and".
struct Selection {
  std::string ranges;                    // a range filter as the window's; empty: every line
  std::optional<double> brighterThan;    // m: the peak V over the window at most this
  sky::CalendarDay from, to;             // the window, both days included (with brighterThan)
  double elongation = 0;                 // E: days of a smaller solar elongation do not count, degrees
  std::optional<double> hAtMost;         // H at most this
  std::vector<sky::OrbitClass> classes;  // any of these classes ...
  unsigned groups = 0;                   // ... or of these groups (sky::OrbitGroup bits)
  std::vector<std::string> names;        // any of these numbers, names or designations
  int maxKept = kMaxKept;                // N: when more pass, the N brightest (smallest H) stay
};

// Why a selection cannot run ("" when it can): a day that does not exist, a
// last day before the first, a window of more than 3660 days, N outside 1 to
// 30000, a range filter the window would refuse, a name that cannot be
// written into the recipe, or a recipe too long for the history.
std::string CheckSelection(const Selection& selection);

// What a source holds for a selection.
struct SelectionCounts {
  std::int64_t lines = 0;  // lines read
  // Lines passing each criterion on its own, and all of them.
  std::int64_t inRanges = 0, brightEnough = 0, hPassed = 0, classPassed = 0, namePassed = 0, passed = 0;
  std::int64_t kept = 0;   // of those passing, after the cap (passed - kept are dropped)
  std::optional<sky::CalendarDay> firstEpoch, lastEpoch;  // the range of the source's epochs
  std::array<std::int64_t, sky::kOrbitClassCount> byClass{};  // of the lines passing all criteria
};

// A line the catalog holds.
struct KeptLine {
  std::int64_t line = 0;  // from 1
  sky::OrbitClass orbitClass = sky::OrbitClass::kOther;
  double h = 0;
  std::optional<double> peak;          // V, with a brightness criterion
  std::optional<sky::CalendarDay> peakDay;
};

// Told on the working thread how far the reading has come.
class SelectionProgress {
 public:
  virtual ~SelectionProgress() = default;
  virtual void OnLines(std::int64_t read) = 0;
};

struct SelectionOutcome {
  enum class Result { kDone, kCancelled, kFailed } result = Result::kDone;
  std::string message;          // why it failed
  SelectionCounts counts;
  std::vector<KeptLine> kept;   // in line order
  bool recorded = false;        // a run: the history holds it
};

// What the selection makes of the source, without writing anything. `cancel`
// is looked at every few thousand lines.
SelectionOutcome PreviewSelection(const std::string& source, const Selection& selection,
                                  SelectionProgress* progress, const std::atomic<bool>* cancel);

// The run: writes the kept lines' records (the conversion's own) in line
// order to catalog.m_strOutputPath from catalog.m_strSourcePath, the
// previous catalog replaced only by a complete new one, and records the run
// through catalog.AppendHistory with the selection's recipe as its filter. A
// cancelled or failed run leaves the previous catalog and records nothing.
SelectionOutcome RunSelection(CCatalog& catalog, const Selection& selection, SelectionProgress* progress,
                              const std::atomic<bool>* cancel);

}  // namespace orbivane
