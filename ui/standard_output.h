// Where the window program writes what it answers without a window. On
// Windows it is a window program, with no console of its own: it writes to
// the standard output or error it was handed (a file or a pipe) and, where it
// was handed none, to the console of the program that started it, if any.
#pragma once

#include <string>

namespace orbivane {

// 0, or 1 when the text could not be written.
int WriteStandardOutput(const std::string& text);
void WriteStandardError(const std::string& text);

}  // namespace orbivane
