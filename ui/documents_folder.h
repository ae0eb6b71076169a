// The folder the window works in when the desktop menu starts it: Orbivane
// in the user's documents folder, as the Windows Start-menu shortcut has it,
// so that the history is kept there rather than in the home folder (or, for a
// program started from /, refused).
#pragma once

#include <string>

namespace orbivane {

// Makes HOME's documents folder with "/Orbivane" the current folder, made
// with the folders above it where missing. The documents folder is
// XDG_DOCUMENTS_DIR of CONFIG/user-dirs.dirs, CONFIG being XDG_CONFIG_HOME
// where that is an absolute path and HOME/.config else, or HOME/Documents
// where that names none. Returns nothing, or what failed (the folder and the
// reason): the current folder then stays.
std::string EnterDocumentsFolder();

}  // namespace orbivane
