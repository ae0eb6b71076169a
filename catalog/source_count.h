// The Total of a source catalog: the number of its lines that end with a line
// break (a last line without one is not counted). A compressed source is
// counted in its text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "source_epochs.h"
#include "status.h"

namespace orbivane {

// Counts the LF bytes of the file. `onProgress` receives the running count
// after each block read (a few hundred times for a full catalog, never once
// per line). When the file cannot be read, `count` is 0; when its compressed
// data is damaged, it is the count up to the damage, and the message says
// where that is. A tally, when given, sees every block of the text read.
Status CountLineBreaks(const std::string& path, std::int64_t& count,
                       const std::function<void(std::int64_t)>& onProgress = {}, EpochTally* tally = nullptr);

}  // namespace orbivane
