#include "selection_preview.h"

#include "recipe.h"

namespace orbivane {

std::string PreviewText(const Selection& selection, const SelectionCounts& counts) {
  std::string text = "Source: " + std::to_string(counts.lines) + " lines, ";
  if (counts.firstEpoch && counts.lastEpoch) {
    text += "epochs " + DayText(*counts.firstEpoch) + " to " + DayText(*counts.lastEpoch);
  } else {
    text += "no epochs";
  }
  std::string each;
  const auto add = [&each](bool given, const char* criterion, std::int64_t passed) {
    if (given) each += (each.empty() ? "" : ", ") + std::string(criterion) + " " + std::to_string(passed);
  };
  add(!selection.ranges.empty(), "filter", counts.inRanges);
  add(selection.brighterThan.has_value(), "brightness", counts.brightEnough);
  add(selection.hAtMost.has_value(), "H", counts.hPassed);
  add(!selection.classes.empty() || selection.groups != 0, "class", counts.classPassed);
  add(!selection.names.empty(), "names", counts.namePassed);
  text += "\nPassing each: " + (each.empty() ? "no criterion given" : each);
  text += "\nPassing all: " + std::to_string(counts.passed) + "; kept " + std::to_string(counts.kept) +
          ", the cap of " + std::to_string(selection.maxKept) + " drops " +
          std::to_string(counts.passed - counts.kept);
  std::string classes;
  for (int i = 0; i < sky::kOrbitClassCount; ++i) {
    if (const std::int64_t n = counts.byClass[static_cast<std::size_t>(i)]; n > 0) {
      classes += (classes.empty() ? "" : ", ") + std::string(sky::ClassName(static_cast<sky::OrbitClass>(i))) + " " +
                 std::to_string(n);
    }
  }
  return text + "\nBy class: " + (classes.empty() ? "none" : classes);
}

std::string CountingText(std::int64_t lines, std::int64_t total) {
  return "Counting: " + std::to_string(lines) + (total > 0 ? " of " + std::to_string(total) : "") + " lines";
}

std::string RunText(const SelectionCounts& counts, const std::string& output) {
  return "Wrote " + std::to_string(counts.kept) + (counts.kept == 1 ? " asteroid" : " asteroids") + " of " +
         std::to_string(counts.passed) + " passing to " + output + ".";
}

}  // namespace orbivane
