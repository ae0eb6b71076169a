// How old a source's orbital elements are: the epoch of osculation that most
// of its lines share, tallied on the pass that counts the Total (the tally
// looks at each block that pass reads), and the file's age.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbivane {

class EpochTally {
 public:
  // The next block of the source's text, in order.
  void Block(const char* bytes, std::size_t size);

  // The epoch most lines have, as YYYYMMDD (the earlier on a tie); 0 when no
  // line has one. Only lines that end with a line break count, as for the Total.
  std::int32_t Common() const;
  // The lines counted that do not have the common epoch (another or none).
  std::int64_t OtherLines() const { return lines_ - CommonLines(); }
  std::int64_t CommonLines() const;

 private:
  void Line(const char* line, std::size_t size);

  struct Count {
    std::int32_t epoch;
    std::int64_t lines;
  };
  std::vector<Count> counts_;  // few: the epochs of a source are a handful of days
  std::size_t last_ = 0;       // the index of the last epoch seen, tried first
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
