#include "select_command.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "recipe.h"

namespace orbivane {

namespace {

// The options a recipe stands for, in the table's order.
constexpr const char* kSelectionOptions[] = {"--filter", "--brighter-than", "--from",  "--to",
                                             "--elongation", "--h-max", "--class", "--names", "--max"};

std::optional<double> NumberOf(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool Refuse(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

// The options one by one into `selection`; false, and why, for one that is refused.
bool ReadOptions(const CommandLine& line, Selection& selection, std::string& error) {
  selection.ranges = line.Option("--filter").value_or("");
  const auto number = [&](const char* name, std::optional<double>& into) {
    const std::optional<std::string> text = line.Option(name);
    if (text && !(into = NumberOf(*text))) {
      return Refuse(error, std::string(name) + " needs a number, not '" + *text + "'");
    }
    return true;
  };
  if (!number("--brighter-than", selection.brighterThan) || !number("--h-max", selection.hAtMost)) return false;
  for (const auto& [name, day] : {std::pair{"--from", &selection.from}, std::pair{"--to", &selection.to}}) {
    const std::optional<std::string> text = line.Option(name);
    if (!text) {
      if (selection.brighterThan) return Refuse(error, "--brighter-than needs --from and --to");
      continue;
    }
    if (!selection.brighterThan) return Refuse(error, std::string(name) + " needs --brighter-than");
    const std::optional<sky::CalendarDay> parsed = ParseDay(*text);
    if (!parsed) return Refuse(error, std::string(name) + " needs a day as YYYY-MM-DD, not '" + *text + "'");
    *day = *parsed;
  }
  if (const std::optional<std::string> text = line.Option("--elongation")) {
    if (!selection.brighterThan) return Refuse(error, "--elongation needs --brighter-than");
    const std::optional<double> degrees = NumberOf(*text);
    if (!degrees || *degrees < 0 || *degrees > 180) {
      return Refuse(error, "--elongation needs a number of degrees from 0 to 180, not '" + *text + "'");
    }
    selection.elongation = *degrees;
  }
  if (const std::optional<std::string> list = line.Option("--class"); list && !ParseClasses(*list, selection, error)) {
    return false;
  }
  selection.names = SplitNames(line.Option("--names").value_or(""));
  if (const std::optional<std::string> text = line.Option("--max")) {
    const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), selection.maxKept);
    if (failed != std::errc() || end != text->data() + text->size()) {
      return Refuse(error, "--max needs a whole number from 1 to " + std::to_string(kMaxKept) + ", not '" + *text +
                               "'");
    }
  }
  return true;
}

}  // namespace

std::optional<Selection> SelectionOfOptions(const CommandLine& line, std::string& error) {
  std::optional<Selection> selection;
  if (const std::optional<std::string> recipe = line.Option("--recipe")) {
    for (const char* name : kSelectionOptions) {
      if (line.Option(name)) {
        error = std::string("--recipe cannot be given with ") + name;
        return std::nullopt;
      }
    }
    if (!(selection = SelectionOfRecipe(*recipe, error))) return std::nullopt;
  } else if (!ReadOptions(line, selection.emplace(), error)) {
    return std::nullopt;
  }
  if (error = CheckSelection(*selection); !error.empty()) return std::nullopt;
  if (line.Option("--list") && !line.Option("--dry-run") && line.Option("--output") == "-") {
    error = "--list and --output - would both write to standard output";
    return std::nullopt;
  }
  return selection;
}

std::string PreviewText(const Selection& selection, const SelectionCounts& counts) {
  std::string text = "Lines read: " + std::to_string(counts.lines);
  text += counts.firstEpoch && counts.lastEpoch
              ? ", epochs " + DayText(*counts.firstEpoch) + " to " + DayText(*counts.lastEpoch) + "\n"
              : ", no epoch\n";
  // The criteria as the recipe writes them: "select; filter=1-9; V<=13.00 from ...; max=500".
  const std::string written = RecipeOf(selection);
  std::string_view recipe = std::string_view(written).substr(kRecipeStart.size());
  while (!recipe.empty()) {
    const std::size_t end = recipe.find(';');
    const std::string_view part = recipe.substr(1, end == std::string_view::npos ? end : end - 1);
    recipe.remove_prefix(end == std::string_view::npos ? recipe.size() : end + 1);
    const std::pair<std::string_view, std::int64_t> kCounts[] = {
        {"filter=", counts.inRanges}, {"V<=", counts.brightEnough}, {"H<=", counts.hPassed},
        {"class=", counts.classPassed}, {"names=", counts.namePassed}};
    for (const auto& [start, count] : kCounts) {
      if (part.starts_with(start)) text += "Passing " + std::string(part) + ": " + std::to_string(count) + "\n";
    }
  }
  text += "Passing all: " + std::to_string(counts.passed) + "\n";
  text += "Kept: " + std::to_string(counts.kept) + ", the cap drops " + std::to_string(counts.passed - counts.kept) +
          "\n";
  std::string byClass;
  for (int i = 0; i < sky::kOrbitClassCount; ++i) {
    if (const std::int64_t count = counts.byClass[static_cast<std::size_t>(i)]; count != 0) {
      byClass += (byClass.empty() ? " " : ", ") + std::string(sky::ClassName(static_cast<sky::OrbitClass>(i))) + " " +
                 std::to_string(count);
    }
  }
  return text + "By class:" + (byClass.empty() ? " none" : byClass) + "\n";
}

std::string ListRow(const KeptLine& kept) {
  char h[32];
  std::snprintf(h, sizeof h, "%.2f", kept.h);
  std::string row = std::to_string(kept.line) + "\t" + std::string(sky::ClassName(kept.orbitClass)) + "\t" + h + "\t";
  if (!kept.peak || !kept.peakDay) return row + "-\t-\n";
  char peak[32];
  std::snprintf(peak, sizeof peak, "%.4f", *kept.peak);
  return row + peak + "\t" + DayText(*kept.peakDay) + "\n";
}

}  // namespace orbivane
