#include <cmath>
#include <cstdio>
#include <string>

#include "apparition.h"
#include "filter_table.h"
#include "recipe.h"
#include "selection.h"

namespace orbivane {

namespace {

// A limit outside these is no asteroid's, and its two decimals would not read back as the same number.
constexpr double kMostMagnitude = 99;

// "Why" when the value lies outside first..last (or is no number), else "".
std::string Outside(const char* what, double value, double first, double last, const char* unit = "") {
  if (value >= first && value <= last) return {};
  char text[160];
  std::snprintf(text, sizeof text, "%s must lie from %g to %g%s, not %g.", what, first, last, unit, value);
  return text;
}

}  // namespace

std::string CheckSelection(const Selection& selection) {
  if (!selection.ranges.empty()) {
    FilterTable table;
    if (const char* refused = FilterRefusalMessage(table.ParseFilter(selection.ranges))) return refused;
  }
  if (selection.brighterThan) {
    if (std::string why = Outside("The magnitude limit", *selection.brighterThan, -kMostMagnitude, kMostMagnitude);
        !why.empty()) {
      return why;
    }
    if (std::string why = Outside("The elongation", selection.elongation, 0, 180, " degrees"); !why.empty()) return why;
    const std::optional<double> first = sky::JulianDateOf(selection.from);
    const std::optional<double> last = sky::JulianDateOf(selection.to);
    if (!first) return "The day " + DayText(selection.from) + " does not exist.";
    if (!last) return "The day " + DayText(selection.to) + " does not exist.";
    if (*last < *first) {
      return "The last day, " + DayText(selection.to) + ", comes before the first, " + DayText(selection.from) + ".";
    }
    if (*last - *first + 1 > sky::DayWindow::kMostDays) {
      return "The days from " + DayText(selection.from) + " to " + DayText(selection.to) + " are more than " +
             std::to_string(sky::DayWindow::kMostDays) + "; choose a shorter window.";
    }
  }
  if (selection.hAtMost) {
    if (std::string why = Outside("The H limit", *selection.hAtMost, -kMostMagnitude, kMostMagnitude); !why.empty()) {
      return why;
    }
  }
  if (selection.maxKept < 1 || selection.maxKept > kMaxKept) {
    return "A catalog keeps 1 to " + std::to_string(kMaxKept) + " asteroids, not " +
           std::to_string(selection.maxKept) + ".";
  }
  for (const std::string& name : selection.names) {
    if (name.find_first_of(",;") != std::string::npos) return "A name cannot hold \",\" or \";\": \"" + name + "\".";
  }
  if (const std::size_t length = RecipeOf(selection).size(); length > 299) {
    return "The selection written out has " + std::to_string(length) +
           " characters, more than the 299 the history keeps; name fewer asteroids.";
  }
  return {};
}

}  // namespace orbivane
