#include "source_epochs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "astorb_record.h"

namespace orbivane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The line's eight epoch digits between blanks as a number; 0 for a line without them.
std::int32_t EpochOf(std::string_view line) {
  const auto at = static_cast<std::size_t>(ColumnsOf(line).yearOffset);
  if (line.size() < at + 9 || line[at - 1] != ' ' || line[at + 8] != ' ') return 0;
  std::int32_t epoch = 0;
  for (std::size_t i = at; i < at + 8; ++i) {
    if (!IsDigit(line[i])) return 0;
    epoch = epoch * 10 + (line[i] - '0');
  }
  return epoch;
}

}  // namespace

void EpochTally::Line(const char* line, std::size_t size) {
  constexpr std::size_t kAt = 106;  // today's layout, as ColumnsOf tells it by a number ending in column 6
  const bool today = size > kAt + 8 && IsDigit(line[5]) && line[6] == ' ';
  if (today && runDigitsKnown_ && line[kAt - 1] == ' ' && line[kAt + 8] == ' ' &&
      std::memcmp(line + kAt, runDigits_, 8) == 0) {
    ++lines_;
    ++run_;
    return;
  }
  const std::int32_t epoch = EpochOf(std::string_view(line, size));
  Add(epoch);
  if (epoch != 0 && today && !runDigitsKnown_) {
    std::memcpy(runDigits_, line + kAt, 8);
    runDigitsKnown_ = true;
  }
}

void EpochTally::Add(std::int32_t epoch) {
  ++lines_;
  if (epoch == 0) return;
  if (epoch != runEpoch_) {
    if (run_ > 0) counts_[runEpoch_] += run_;
    runEpoch_ = epoch;
    run_ = 0;
    runDigitsKnown_ = false;
  }
  ++run_;
}

std::int64_t EpochTally::Block(const char* bytes, std::size_t size) {
  const std::int64_t before = lines_;
  const char* p = bytes;
  const char* const end = bytes + size;
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* stop = lf != nullptr ? lf : end;
    if (headSize_ == 0 && lf != nullptr) {
      Line(p, static_cast<std::size_t>(lf - p));  // the whole line lies in this block
    } else {
      const std::size_t taken = std::min(sizeof head_ - headSize_, static_cast<std::size_t>(stop - p));
      std::memcpy(head_ + headSize_, p, taken);
      headSize_ += taken;
      if (lf != nullptr) {
        Line(head_, headSize_);
        headSize_ = 0;
      }
    }
    if (lf == nullptr) break;
    p = lf + 1;
  }
  return lines_ - before;
}

std::int64_t EpochTally::CommonLines() const {
  std::int64_t most = run_;
  for (const auto& [epoch, lines] : counts_) most = std::max(most, LinesOf(epoch, lines));
  return most;
}

std::int32_t EpochTally::Common() const {
  const std::int64_t most = CommonLines();
  if (most == 0) return 0;
  std::int32_t common = run_ == most ? runEpoch_ : 0;
  for (const auto& [epoch, lines] : counts_) {
    if (LinesOf(epoch, lines) == most && (common == 0 || epoch < common)) common = epoch;
  }
  return common;
}

std::string EpochText(std::int32_t epoch) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", epoch / 10000, epoch / 100 % 100, epoch % 100);
  return text;
}

std::int64_t DaysBetween(std::int64_t from, std::int64_t to) {
  const std::int64_t seconds = to - from;
  return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

std::int64_t DaysSinceEpoch(std::int32_t epoch, std::int64_t now) {
  using namespace std::chrono;
  const year_month_day day{year{epoch / 10000}, month{static_cast<unsigned>(epoch / 100 % 100)},
                           std::chrono::day{static_cast<unsigned>(epoch % 100)}};
  const std::int64_t start = sys_seconds(sys_days(day)).time_since_epoch().count();
  return DaysBetween(start, now);
}

namespace {

std::string Days(std::int64_t n) { return std::to_string(n) + (n == 1 || n == -1 ? " day" : " days"); }

}  // namespace

std::string EpochLines(const EpochTally& tally, std::int64_t modified, std::int64_t now) {
  const std::int32_t epoch = tally.Common();
  const std::int64_t other = tally.OtherLines();
  return "Epoch: " + (epoch == 0 ? std::string("none") : EpochText(epoch)) + "\n" +
         "File age: " + (modified == 0 ? std::string("unknown") : Days(DaysBetween(modified, now))) + "\n" +
         "Other epochs: " + std::to_string(other) + (other == 1 ? " line\n" : " lines\n");
}

std::string AgeSummary(const EpochTally& tally, std::int64_t modified, std::int64_t now) {
  const std::int32_t epoch = tally.Common();
  std::string text = epoch == 0 ? std::string("No epoch") : "Epoch " + EpochText(epoch);
  if (epoch != 0) {
    const std::int64_t days = DaysSinceEpoch(epoch, now);
    text += days == 0 ? ", today" : ", " + Days(days < 0 ? -days : days) + (days < 0 ? " ahead" : " ago");
  }
  if (modified != 0) text += "; file " + Days(DaysBetween(modified, now)) + " old";
  return text;
}

bool EpochIsStale(const EpochTally& tally, std::int64_t now) {
  const std::int32_t epoch = tally.Common();
  if (epoch == 0) return false;
  const std::int64_t days = DaysSinceEpoch(epoch, now);
  return days > kStaleEpochDays || days < -kStaleEpochDays;
}

}  // namespace orbivane
