// The texts of the selection dialog's preview: what a source holds for a
// selection, and what a run did.
#pragma once

#include <cstdint>
#include <string>

#include "selection.h"

namespace orbivane {

// "Source: 6 lines, epochs 2007-07-19 to 2026-09-17", the lines passing each
// criterion given and all of them, how many the cap drops, the classes of
// those passing; one line each.
std::string PreviewText(const Selection& selection, const SelectionCounts& counts);
// While the count goes: "Counting: 4096 of 1420000 lines" (without the Total: "Counting: 4096 lines").
std::string CountingText(std::int64_t lines, std::int64_t total);
// After a run: "Wrote 1 asteroid of 1 passing to /home/ann/hildas.slc."
std::string RunText(const SelectionCounts& counts, const std::string& output);

}  // namespace orbivane
