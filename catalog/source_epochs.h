// How old a source's orbital elements are: the epoch of osculation that most
// of its lines share, tallied on the pass that counts the Total (the tally
// looks at each block that pass reads), and the file's age.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace orbivane {

class EpochTally {
 public:
  // The next block of the source's text, in order; the line breaks it holds.
  std::int64_t Block(const char* bytes, std::size_t size);
  // One line of the given epoch (YYYYMMDD; 0 for none), for a source whose lines are read one by one.
  void Add(std::int32_t epoch);

  // The epoch most lines have, as YYYYMMDD (the earlier on a tie); 0 when no
  // line has one. Only lines that end with a line break count, as for the Total.
  std::int32_t Common() const;
  // The lines counted that do not have the common epoch (another or none).
  std::int64_t OtherLines() const { return lines_ - CommonLines(); }
  std::int64_t CommonLines() const;

 private:
  void Line(const char* line, std::size_t size);

  // The lines of an epoch, the run going included.
  std::int64_t LinesOf(std::int32_t epoch, std::int64_t counted) const {
    return counted + (epoch == runEpoch_ ? run_ : 0);
  }

  // Lines by epoch, spread over a few thousand days. Nearly every line has the epoch of the one before: such a
  // run is counted here and goes into the map when another epoch comes.
  std::unordered_map<std::int32_t, std::int64_t> counts_;
  std::int32_t runEpoch_ = 0;
  std::int64_t run_ = 0;
  // The run's epoch as its eight digits stand in a line of today's layout, when it came from one: a line of that
  // layout holding these very bytes adds to the run without being read further.
  char runDigits_[8] = {};
  bool runDigitsKnown_ = false;
  std::int64_t lines_ = 0;
  // The start of a line that runs across blocks: its epoch lies in its first 115 characters.
  char head_[128];
  std::size_t headSize_ = 0;
};

// "2026-05-01" of 20260501.
std::string EpochText(std::int32_t epoch);

// Whole days from the first time to the second (seconds since 1970), rounded down.
std::int64_t DaysBetween(std::int64_t from, std::int64_t to);

// Days from the epoch's day (0h UTC) to the time given (seconds since 1970), rounded down; negative before it.
std::int64_t DaysSinceEpoch(std::int32_t epoch, std::int64_t now);

// Elements whose epoch lies further than this from today are said to be old, and a download offered.
inline constexpr std::int64_t kStaleEpochDays = 60;

// What orbivane-cli count --epochs prints after the Total:
//   Epoch: 2026-05-01
//   File age: 3 days
//   Other epochs: 1204 lines
// ("Epoch: none" without one, "File age: unknown" without a modification time).
std::string EpochLines(const EpochTally& tally, std::int64_t modified, std::int64_t now);

// One line for the window and the refresh: "Epoch 2026-05-01, 221 days from today; file 3 days old".
std::string AgeSummary(const EpochTally& tally, std::int64_t modified, std::int64_t now);

// Whether the common epoch lies more than kStaleEpochDays from today (false without one).
bool EpochIsStale(const EpochTally& tally, std::int64_t now);

}  // namespace orbivane
