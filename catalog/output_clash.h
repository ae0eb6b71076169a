// What an output catalog may not be: its own source, which writing would
// empty before it is read, or the history file, which the run's append would
// cut and mix with the records.
#pragma once

#include <string>

namespace orbivane {

// The message that refuses `output` before a run from `source` that records
// into `history`; empty when it may be written. "-" names the standard input
// as a source and the standard output as a catalog.
std::string OutputClash(const std::string& source, const std::string& output, const std::string& history);

}  // namespace orbivane
