// A selection written out as one text, the "recipe": what the history's
// filter slot holds for a run of a selection, what orbivane-cli takes back
// with --recipe, and what a refresh applies again. One canonical form: the
// same selection always gives the same text, fields in this order, those at
// their defaults left out, numbers with two decimals:
//
//   select; filter=1-1000, 2000; V<=13.00 from 2026-12-08 to 2027-01-06
//   elongation>=60.00; H<=15.50; class=apollo,neo; names=Ceres,433; max=500
//
// (one line). It starts with "select;", which no range filter can.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "selection.h"

namespace orbivane {

inline constexpr std::string_view kRecipeStart = "select;";

std::string RecipeOf(const Selection& selection);
// The selection a recipe writes out; none, and why, for a text that is not one.
std::optional<Selection> SelectionOfRecipe(std::string_view recipe, std::string& error);
// Whether a history filter slot holds a recipe rather than a range filter.
inline bool IsRecipe(std::string_view filter) { return filter.starts_with(kRecipeStart); }

// The pieces a recipe and the command line share.
// "2026-12-08"; none for another form (the day itself is checked by CheckSelection).
std::optional<sky::CalendarDay> ParseDay(std::string_view text);
std::string DayText(const sky::CalendarDay& day);
// "apollo,neo,hilda" into classes and groups; false, and why, for an unknown name.
bool ParseClasses(std::string_view list, Selection& selection, std::string& error);
// "Ceres, 433, 2024 YR4": the names without the blanks around them.
std::vector<std::string> SplitNames(std::string_view list);

}  // namespace orbivane
