#include "recipe.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace orbivane {

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Decimals(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A whole number or a decimal one, and nothing else.
bool ParseNumber(std::string_view text, double& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Takes `word` off the front of `text`.
bool Take(std::string_view& text, std::string_view word) {
  if (!text.starts_with(word)) return false;
  text.remove_prefix(word.size());
  return true;
}

// "V<=13.00 from 2026-12-08 to 2027-01-06 elongation>=60.00"
bool ParseBrightness(std::string_view text, Selection& selection) {
  const std::size_t from = text.find(" from ");
  const std::size_t to = text.find(" to ");
  if (from == std::string_view::npos || to == std::string_view::npos || to < from) return false;
  double limit = 0;
  if (!ParseNumber(text.substr(0, from), limit)) return false;
  const auto first = ParseDay(text.substr(from + 6, to - from - 6));
  std::string_view rest = text.substr(to + 4);
  const std::size_t space = rest.find(' ');
  const auto last = ParseDay(rest.substr(0, space));
  if (!first || !last) return false;
  selection.brighterThan = limit;
  selection.from = *first;
  selection.to = *last;
  if (space == std::string_view::npos) return true;
  rest.remove_prefix(space + 1);
  return Take(rest, "elongation>=") && ParseNumber(rest, selection.elongation);
}

}  // namespace

std::optional<sky::CalendarDay> ParseDay(std::string_view text) {
  int parts[3] = {};
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && (at == end || *at++ != '-')) return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, parts[i]);
    if (error != std::errc() || next - at != (i == 0 ? 4 : 2)) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return sky::CalendarDay{parts[0], parts[1], parts[2]};
}

std::string DayText(const sky::CalendarDay& day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
  return text;
}

bool ParseClasses(std::string_view list, Selection& selection, std::string& error) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = Trimmed(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    bool known = false;
    for (int i = 0; i < sky::kOrbitClassCount && !known; ++i) {
      if ((known = sky::ClassName(static_cast<sky::OrbitClass>(i)) == name)) {
        selection.classes.push_back(static_cast<sky::OrbitClass>(i));
      }
    }
    for (int bit = 0; bit < sky::kOrbitGroupCount && !known; ++bit) {
      if ((known = sky::GroupName(static_cast<sky::OrbitGroup>(1u << bit)) == name)) selection.groups |= 1u << bit;
    }
    if (!known) {
      error = "unknown class '" + std::string(name) + "'";
      return false;
    }
  }
  return true;
}

std::vector<std::string> SplitNames(std::string_view list) {
  std::vector<std::string> names;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (const std::string_view name = Trimmed(list.substr(0, comma)); !name.empty()) names.emplace_back(name);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return names;
}

std::string RecipeOf(const Selection& selection) {
  std::string recipe(kRecipeStart);
  const auto add = [&recipe](const std::string& part) { recipe += " " + part + ";"; };
  if (!selection.ranges.empty()) add("filter=" + selection.ranges);
  if (selection.brighterThan) {
    add("V<=" + Decimals(*selection.brighterThan) + " from " + DayText(selection.from) + " to " +
        DayText(selection.to) + (selection.elongation > 0 ? " elongation>=" + Decimals(selection.elongation) : ""));
  }
  if (selection.hAtMost) add("H<=" + Decimals(*selection.hAtMost));
  std::string classes;
  for (int i = 0; i < sky::kOrbitClassCount; ++i) {
    for (const sky::OrbitClass chosen : selection.classes) {
      if (chosen == static_cast<sky::OrbitClass>(i)) {
        classes += (classes.empty() ? "" : ",") + std::string(sky::ClassName(chosen));
        break;
      }
    }
  }
  for (int bit = 0; bit < sky::kOrbitGroupCount; ++bit) {
    if ((selection.groups & (1u << bit)) != 0) {
      classes += (classes.empty() ? "" : ",") + std::string(sky::GroupName(static_cast<sky::OrbitGroup>(1u << bit)));
    }
  }
  if (!classes.empty()) add("class=" + classes);
  std::string names;
  for (const std::string& name : selection.names) names += (names.empty() ? "" : ",") + name;
  if (!names.empty()) add("names=" + names);
  if (selection.maxKept != kMaxKept) add("max=" + std::to_string(selection.maxKept));
  if (recipe.size() > kRecipeStart.size()) recipe.pop_back();  // the last part's ";"
  return recipe;
}

std::optional<Selection> SelectionOfRecipe(std::string_view recipe, std::string& error) {
  if (!IsRecipe(recipe)) {
    error = "a selection's text starts with \"select;\"";
    return std::nullopt;
  }
  Selection selection;
  std::string_view rest = recipe.substr(kRecipeStart.size());
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    const std::string_view whole = Trimmed(rest.substr(0, end));
    std::string_view part = whole;
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    double number = 0;
    bool read = true;
    if (Take(part, "filter=")) {
      selection.ranges = part;
    } else if (Take(part, "V<=")) {
      read = ParseBrightness(part, selection);
    } else if (Take(part, "H<=")) {
      read = ParseNumber(part, number);
      selection.hAtMost = number;
    } else if (Take(part, "class=")) {
      read = ParseClasses(part, selection, error);
    } else if (Take(part, "names=")) {
      selection.names = SplitNames(part);
    } else if (Take(part, "max=")) {
      read = ParseNumber(part, number) && number >= 0 && number <= 1e9 && number == std::floor(number);
      selection.maxKept = read ? static_cast<int>(number) : 0;
    } else {
      read = false;
    }
    if (!read) {
      if (error.empty()) error = "cannot read \"" + std::string(whole) + "\" of the selection";
      return std::nullopt;
    }
  }
  return selection;
}

}  // namespace orbivane
