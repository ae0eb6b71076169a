// orbivane-cli select: the selection its options ask for, and the texts it prints.
#pragma once

#include <optional>
#include <string>

#include "command_line.h"
#include "selection.h"

namespace orbivane {

// The selection of the command line, checked as a run checks it; none, and why, for input that is no selection
// (a usage error): a number that is none, a day of another form, a day or a window a run refuses, an option
// without the one it needs, --recipe with the options it stands for.
std::optional<Selection> SelectionOfOptions(const CommandLine& line, std::string& error);

// What --dry-run prints: the lines read and their epochs, the lines passing each criterion given (named as the
// recipe names it) and all of them, how many were kept and how many the cap drops, those passing by class.
std::string PreviewText(const Selection& selection, const SelectionCounts& counts);

// A row of --list: line number, class, H, the peak V and its day ("-" without a brightness criterion), tabs
// between them.
std::string ListRow(const KeptLine& kept);

}  // namespace orbivane
