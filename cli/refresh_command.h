// orbivane-cli refresh: the history's catalogs compiled again from the newest source, for a scheduled job.
#pragma once

#include <string>

#include "command_line.h"

namespace orbivane {

// Runs the command on the history of `workDir` (a folder that exists); gives the exit status.
int RefreshCommand(const CommandLine& line, const std::string& workDir);

}  // namespace orbivane
