// Any text as a recipe, the history's filter slot as a refresh reads it back. A text taken as a selection has
// one canonical form: written out and read again it is the same selection, and the same text again.
#undef NDEBUG
#include <cassert>
#include <cstdint>
#include <string>

#include "recipe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto selection = orbivane::SelectionOfRecipe(text, error);
  if (!selection) {
    assert(!error.empty());
    return 0;
  }
  if (!orbivane::CheckSelection(*selection).empty()) return 0;
  const std::string canonical = orbivane::RecipeOf(*selection);
  const auto again = orbivane::SelectionOfRecipe(canonical, error);
  assert(again && orbivane::RecipeOf(*again) == canonical);
  return 0;
}
