// The Total of a source, whichever its format: the lines of an ASTORB source
// that end with a line break (as CountLineBreaks counts them), the orbit lines
// of an MPCORB source. A compressed source is counted in its text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "source_epochs.h"
#include "status.h"

namespace orbivane {

// `onProgress` receives the running count a few hundred times for a full
// catalog, never once per line. When the file cannot be read, `count` is 0;
// when its compressed data is damaged, it is the count up to the damage, and
// the message says at which line of the file that is. A tally, when given,
// takes the epoch of every line counted, from the same pass.
Status CountEntries(const std::string& path, std::int64_t& count,
                    const std::function<void(std::int64_t)>& onProgress = {}, EpochTally* tally = nullptr);

}  // namespace orbivane
