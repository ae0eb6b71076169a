// The Total of a source catalog: the number of its lines that end with a line
// break (a last line without one is not counted).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "status.h"

namespace orbivane {

// Counts the LF bytes of the file. `onProgress` receives the running count
// after each block read (a few hundred times for a full catalog, never once
// per line).
Status CountLineBreaks(const std::string& path, std::int64_t& count,
                       const std::function<void(std::int64_t)>& onProgress = {});

}  // namespace orbivane
