// Which kind of orbit catalog a source is, told by its text, never by its
// name: Lowell's ASTORB (astorb.dat) or the Minor Planet Center's export
// format (MPCORB.DAT and its subset files).
#pragma once

#include <cstddef>
#include <string_view>

namespace orbivane {

enum class SourceFormat { kAstorb, kMpcorb };

// How much of the text's start the format is told from.
inline constexpr std::size_t kFormatHeadBytes = 16 * 1024;

// The format of a text that starts with `head` (its first kFormatHeadBytes,
// or all of a shorter text). Blank lines at its start aside, it is MPCORB
// when its first line is an MPCORB orbit line that is no ASTORB line, or when
// that first line starts a header whose line of dashes (ten or more, nothing
// else) is followed, blank lines aside, by an orbit line. Anything else is
// ASTORB, read as it always was.
SourceFormat FormatOf(std::string_view head);

}  // namespace orbivane
