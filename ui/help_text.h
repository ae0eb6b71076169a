// The text of the Help dialog.
#pragma once

#include <string>
#include <string_view>

namespace orbivane {

// The paragraphs of the help, one per line; empty lines separate sections.
inline constexpr int kHelpLineCount = 16;
extern const std::string_view kHelpLines[kHelpLineCount];

// The lines joined with CR LF: the text begins with a line break (its first
// line is empty) and ends without one.
std::string HelpText();

// The text as a multi-line field shows it, with LF line breaks: a GTK text
// view would show a CR as a glyph, and on Windows the toolkit itself turns
// each LF into the CR LF the native field wants.
std::string HelpTextForDisplay(const std::string& text);

}  // namespace orbivane
