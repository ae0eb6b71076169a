#include "selection_judge.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "source_lines.h"
#include "calendar.h"

namespace orbivane {

namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

bool IsNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ClassPasses(const Selection& selection, sky::OrbitClass orbitClass, const AstorbOrbit& orbit) {
  if (selection.classes.empty() && selection.groups == 0) return true;
  if (std::find(selection.classes.begin(), selection.classes.end(), orbitClass) != selection.classes.end()) {
    return true;
  }
  return (sky::GroupsOf(orbit.semimajorAxis, orbit.eccentricity, orbit.inclination) & selection.groups) != 0;
}

}  // namespace

void LineTally::Add(const LineTally& other) {
  SelectionCounts& to = counts;
  const SelectionCounts& from = other.counts;
  to.lines += from.lines;
  to.inRanges += from.inRanges;
  to.brightEnough += from.brightEnough;
  to.hPassed += from.hPassed;
  to.classPassed += from.classPassed;
  to.namePassed += from.namePassed;
  to.passed += from.passed;
  for (std::size_t i = 0; i < to.byClass.size(); ++i) to.byClass[i] += from.byClass[i];
  if (other.firstEpoch < firstEpoch) {
    firstEpoch = other.firstEpoch;
    to.firstEpoch = from.firstEpoch;
  }
  if (other.lastEpoch > lastEpoch) {
    lastEpoch = other.lastEpoch;
    to.lastEpoch = from.lastEpoch;
  }
}

Criteria::Criteria(const Selection& selection) : selection_(selection) {
  if (!selection.ranges.empty()) table_.ParseFilter(selection.ranges);
  if (selection.brighterThan) {
    const double first = *sky::JulianDateOf(selection.from);
    window_ = std::make_unique<sky::DayWindow>(first, static_cast<int>(*sky::JulianDateOf(selection.to) - first) + 1);
  }
  for (const std::string& name : selection.names) {
    if (IsNumber(name)) {
      numbers_.push_back(std::atoll(name.c_str()));
    } else {
      names_.push_back(Lowered(name));
    }
  }
}

LineJudge::LineJudge(const Criteria& criteria) : criteria_(criteria) {
  if (!criteria.selection_.ranges.empty()) cursor_.emplace(criteria.table_);
}

bool LineJudge::Judged(std::int64_t n, std::string_view line, LineTally& tally, KeptLine& verdict,
                       SourceFormat format) {
  const Selection& selection = criteria_.selection_;
  const AstorbOrbit orbit = ReadOrbit(format, line);
  sky::Elements elements{0,
                         orbit.meanAnomaly,
                         orbit.perihelion,
                         orbit.node,
                         orbit.inclination,
                         orbit.eccentricity,
                         orbit.semimajorAxis,
                         orbit.h,
                         orbit.g};
  const sky::CalendarDay epoch{orbit.epochYear, orbit.epochMonth, orbit.epochDay};
  if (!(epoch == lastEpoch_)) {
    lastEpoch_ = epoch;
    lastEpochDate_ = sky::JulianDateOf(epoch);
  }
  const std::optional<double> epochDate = lastEpochDate_;
  SelectionCounts& counts = tally.counts;
  ++counts.lines;
  if (epochDate) {
    elements.epoch = *epochDate;
    if (*epochDate < tally.firstEpoch) {
      tally.firstEpoch = *epochDate;
      counts.firstEpoch = epoch;
    }
    if (*epochDate > tally.lastEpoch) {
      tally.lastEpoch = *epochDate;
      counts.lastEpoch = epoch;
    }
  }
  verdict = KeptLine{n, sky::ClassOf(orbit.semimajorAxis, orbit.eccentricity, orbit.inclination), orbit.h, {}, {}};
  const bool inRanges = !cursor_ || cursor_->IsSelected(n);
  const bool hPassed = !selection.hAtMost || orbit.h <= *selection.hAtMost;
  const bool classPassed = ClassPasses(selection, verdict.orbitClass, orbit);
  const bool namePassed = NamePasses(orbit.number, line, format);
  bool bright = true;
  if (const sky::DayWindow* window = criteria_.window_.get()) {
    bright = false;
    // Most asteroids can never come near the limit: the bound from the orbit alone spares them the days, and
    // the window's own (dearer, so asked second) spares more; the days look only for a peak within the limit.
    const double limit = *selection.brighterThan;
    if (epochDate && sky::BrightestPossible(elements) <= limit && sky::BrightestPossible(elements, *window) <= limit) {
      const sky::Peak peak = sky::PeakOf(elements, *window, selection.elongation, limit);
      if (peak.found) {
        verdict.peak = peak.magnitude;
        verdict.peakDay = sky::DayOf(window->Day(peak.day));
        bright = peak.magnitude <= *selection.brighterThan;
      }
    }
  }
  counts.inRanges += inRanges;
  counts.hPassed += hPassed;
  counts.classPassed += classPassed;
  counts.namePassed += namePassed;
  counts.brightEnough += bright;
  const bool passed = inRanges && hPassed && classPassed && namePassed && bright;
  if (passed) {
    ++counts.passed;
    ++counts.byClass[static_cast<std::size_t>(verdict.orbitClass)];
  }
  return passed;
}

bool LineJudge::NamePasses(int number, std::string_view line, SourceFormat format) const {
  const Selection& selection = criteria_.selection_;
  if (selection.names.empty()) return true;
  if (number > 0 && std::find(criteria_.numbers_.begin(), criteria_.numbers_.end(), number) !=
                        criteria_.numbers_.end()) {
    return true;
  }
  if (criteria_.names_.empty()) return false;
  const std::string name = Lowered(CatalogNameOf(format, line));
  return std::find(criteria_.names_.begin(), criteria_.names_.end(), name) != criteria_.names_.end();
}

}  // namespace orbivane
