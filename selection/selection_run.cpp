// One pass over the source: every line is judged by each criterion (the
// preview counts each on its own), the lines passing all of them compete for
// the N places, and a run writes the winners' records in line order.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <queue>

#include "astorb_record.h"
#include "apparition.h"
#include "catalog_writer.h"
#include "file_message.h"
#include "line_reader.h"
#include "named_stream.h"
#include "output_clash.h"
#include "recipe.h"
#include "selection.h"
#include "selection_cursor.h"

namespace orbivane {

namespace {

constexpr std::int64_t kProgressEvery = 4096;

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

bool IsNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The criteria, ready for the lines.
class Judge {
 public:
  explicit Judge(const Selection& selection) : selection_(selection) {
    if (!selection.ranges.empty()) {
      table_ = std::make_unique<FilterTable>();
      table_->ParseFilter(selection.ranges);
      cursor_ = std::make_unique<SelectionCursor>(*table_);
    }
    if (selection.brighterThan) {
      const double first = *sky::JulianDateOf(selection.from);
      window_ = std::make_unique<sky::DayWindow>(first,
                                                 static_cast<int>(*sky::JulianDateOf(selection.to) - first) + 1);
    }
    for (const std::string& name : selection.names) {
      if (IsNumber(name)) {
        numbers_.push_back(std::atoll(name.c_str()));
      } else {
        names_.push_back(Lowered(name));
      }
    }
  }

  bool brightness() const { return window_ != nullptr; }

  // Judges line n; true when it passes every criterion.
  bool Judged(std::int64_t n, std::string_view line, SelectionCounts& counts, KeptLine& verdict) {
    const AstorbOrbit orbit = ReadAstorbOrbit(line);
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
    const std::optional<double> epochDate = sky::JulianDateOf(epoch);
    if (epochDate) {
      elements.epoch = *epochDate;
      if (!counts.firstEpoch || *epochDate < *sky::JulianDateOf(*counts.firstEpoch)) counts.firstEpoch = epoch;
      if (!counts.lastEpoch || *epochDate > *sky::JulianDateOf(*counts.lastEpoch)) counts.lastEpoch = epoch;
    }
    verdict = KeptLine{n, sky::ClassOf(orbit.semimajorAxis, orbit.eccentricity, orbit.inclination), orbit.h, {}, {}};
    const bool inRanges = cursor_ == nullptr || cursor_->IsSelected(n);
    const bool hPassed = !selection_.hAtMost || orbit.h <= *selection_.hAtMost;
    const bool classPassed = ClassPasses(verdict.orbitClass, orbit);
    const bool namePassed = NamePasses(orbit.number, line);
    bool bright = true;
    if (window_ != nullptr) {
      bright = false;
      // Most asteroids can never come near the limit: the bound spares them the days.
      if (epochDate && sky::BrightestPossible(elements) <= *selection_.brighterThan) {
        const sky::Peak peak = sky::PeakOf(elements, *window_, selection_.elongation);
        if (peak.found) {
          verdict.peak = peak.magnitude;
          verdict.peakDay = sky::DayOf(window_->Day(peak.day));
          bright = peak.magnitude <= *selection_.brighterThan;
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

 private:
  bool ClassPasses(sky::OrbitClass orbitClass, const AstorbOrbit& orbit) const {
    if (selection_.classes.empty() && selection_.groups == 0) return true;
    if (std::find(selection_.classes.begin(), selection_.classes.end(), orbitClass) != selection_.classes.end()) {
      return true;
    }
    return (sky::GroupsOf(orbit.semimajorAxis, orbit.eccentricity, orbit.inclination) & selection_.groups) != 0;
  }

  bool NamePasses(int number, std::string_view line) const {
    if (selection_.names.empty()) return true;
    if (number > 0 && std::find(numbers_.begin(), numbers_.end(), number) != numbers_.end()) return true;
    if (names_.empty()) return false;
    const std::string name = Lowered(NameOf(line, ColumnsOf(line)));
    return std::find(names_.begin(), names_.end(), name) != names_.end();
  }

  const Selection& selection_;
  std::unique_ptr<FilterTable> table_;
  std::unique_ptr<SelectionCursor> cursor_;
  std::unique_ptr<sky::DayWindow> window_;
  std::vector<long long> numbers_;
  std::vector<std::string> names_;
};

// The N best lines so far: the brightest peak, or the smallest H, earlier lines first among equals.
class Contest {
 public:
  Contest(int places, bool byPeak, bool keepText) : places_(places), byPeak_(byPeak), keepText_(keepText) {}

  void Enter(const KeptLine& entrant, std::string_view line) {
    const Key key{byPeak_ ? entrant.peak.value_or(0) : entrant.h, entrant.line};
    if (static_cast<int>(best_.size()) == places_) {
      if (!(key < best_.top().key)) return;
      free_.push_back(best_.top().slot);
      best_.pop();
    }
    std::size_t slot = lines_.size();
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      lines_.emplace_back();
      texts_.emplace_back();
    }
    lines_[slot] = entrant;
    if (keepText_) texts_[slot].assign(line);
    best_.push({key, slot});
  }

  // The winners in line order, with their lines' text when kept.
  std::vector<std::size_t> InLineOrder() const {
    std::vector<std::size_t> slots;
    for (auto copy = best_; !copy.empty(); copy.pop()) slots.push_back(copy.top().slot);
    std::sort(slots.begin(), slots.end(),
              [this](std::size_t a, std::size_t b) { return lines_[a].line < lines_[b].line; });
    return slots;
  }
  const KeptLine& Line(std::size_t slot) const { return lines_[slot]; }
  const std::string& Text(std::size_t slot) const { return texts_[slot]; }

 private:
  struct Key {
    double value;
    std::int64_t line;
    bool operator<(const Key& other) const {
      return value < other.value || (value == other.value && line < other.line);
    }
  };
  struct Entry {
    Key key;
    std::size_t slot;
    bool operator<(const Entry& other) const { return key < other.key; }
  };

  const int places_;
  const bool byPeak_;
  const bool keepText_;
  std::priority_queue<Entry> best_;  // the worst on top
  std::vector<KeptLine> lines_;
  std::vector<std::string> texts_;
  std::vector<std::size_t> free_;
};

// Reads the whole source; `contest` gets every line that passes.
SelectionOutcome ReadAndJudge(const std::string& source, const Selection& selection, Contest& contest,
                              SelectionProgress* progress, const std::atomic<bool>* cancel) {
  SelectionOutcome outcome;
  OsFile file;
  if (const int err = OpenSource(file, source); err != 0) {
    outcome.result = SelectionOutcome::Result::kFailed;
    outcome.message = FileMessage("open", "source catalog", source, err);
    return outcome;
  }
  Judge judge(selection);
  LineReader reader(file);
  std::string_view line;
  KeptLine verdict;
  std::int64_t n = 0;
  while (reader.Next(line)) {
    ++n;
    if (judge.Judged(n, line, outcome.counts, verdict)) contest.Enter(verdict, line);
    if (n % kProgressEvery == 0) {
      if (progress != nullptr) progress->OnLines(n);
      if (cancel != nullptr && cancel->load()) {
        outcome.result = SelectionOutcome::Result::kCancelled;
        return outcome;
      }
    }
  }
  outcome.counts.lines = n;
  if (progress != nullptr) progress->OnLines(n);
  if (reader.failed()) {
    outcome.result = SelectionOutcome::Result::kFailed;
    outcome.message = reader.FailureMessage(source, n + 1);
    return outcome;
  }
  const std::vector<std::size_t> slots = contest.InLineOrder();
  outcome.counts.kept = static_cast<std::int64_t>(slots.size());
  for (const std::size_t slot : slots) outcome.kept.push_back(contest.Line(slot));
  return outcome;
}

}  // namespace

SelectionOutcome PreviewSelection(const std::string& source, const Selection& selection,
                                  SelectionProgress* progress, const std::atomic<bool>* cancel) {
  Contest contest(selection.maxKept, selection.brighterThan.has_value(), false);
  return ReadAndJudge(source, selection, contest, progress, cancel);
}

SelectionOutcome RunSelection(CCatalog& catalog, const Selection& selection, SelectionProgress* progress,
                              const std::atomic<bool>* cancel) {
  SelectionOutcome refused;
  refused.result = SelectionOutcome::Result::kFailed;
  if (refused.message = CheckSelection(selection); !refused.message.empty()) return refused;
  refused.message = OutputClash(catalog.m_strSourcePath, catalog.m_strOutputPath, catalog.HistoryFilePath());
  if (!refused.message.empty()) return refused;
  CatalogWriter output;
  if (const Status opened = output.Open(catalog.m_strOutputPath); !opened) {
    refused.message = opened.message();
    return refused;
  }
  Contest contest(selection.maxKept, selection.brighterThan.has_value(), true);
  SelectionOutcome outcome = ReadAndJudge(catalog.m_strSourcePath, selection, contest, progress, cancel);
  if (outcome.result != SelectionOutcome::Result::kDone) return outcome;  // the writer abandons its file
  std::string record;
  bool first = true;
  for (const std::size_t slot : contest.InLineOrder()) {
    record.clear();
    if (!first) record += "\r\n";
    first = false;
    AppendCatalogRecord(contest.Text(slot), record);
    output.Write(record);
  }
  if (const Status committed = output.Commit(); !committed) {
    outcome.result = SelectionOutcome::Result::kFailed;
    outcome.message = committed.message();
    return outcome;
  }
  // The run's time, as the window's Start takes it.
  const LocalTime now = catalog.CurrentTime();
  const Status recorded = catalog.AppendHistory(MakeHistoryRecord(
      now, catalog.m_strOutputPath, RecipeOf(selection), static_cast<int>(outcome.counts.kept)));
  outcome.recorded = recorded.ok();
  if (!recorded) {
    outcome.message =
        "The catalog was written, but the run could not be added to the history. " + recorded.message();
  }
  return outcome;
}

}  // namespace orbivane
