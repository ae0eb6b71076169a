// Naming a new catalog, as the main window's output "..." and the selection
// dialog's do it: the save dialog of Skyloom catalogs, ".slc" added to a name
// typed without an extension, and one question about replacing a file: the
// file that will be written.
#pragma once

#include <optional>
#include <string>

class wxFileDialog;
class wxWindow;

// "All files" of the file dialogs' wildcards: "*.*" on Windows; elsewhere a
// name need not have a dot.
#ifdef _WIN32
#define ORBIVANE_ALL_FILES "*.*"
#else
#define ORBIVANE_ALL_FILES "*"
#endif

namespace orbivane {

// The full path chosen in a dialog that answered OK. A dialog answered
// without being shown (as the toolkit's test hooks do) keeps the path only
// in its portable part, not in the native chooser.
std::string ChosenPath(const wxFileDialog& dialog);

// Shows the save dialog starting at `preset`; the path chosen, once the user
// has agreed to replace a file of that name. None when the dialog was
// cancelled or the replacing declined.
std::optional<std::string> ChooseNewCatalog(wxWindow& owner, const std::string& preset);

// True when `path` names no file, or the user agrees to replace it (a message
// box centred on `owner`). A link to a missing file replaces nothing.
bool MayReplace(wxWindow& owner, const std::string& path);

}  // namespace orbivane
