// The command line of the window program, orbivane: the table its --help
// prints and its manual page shows, and what it answers without a window.
// No wx header: this runs before the toolkit starts, and without a display.
#pragma once

#include <string>
#include <vector>

#include "usage_text.h"

namespace orbivane {

const ProgramText& WindowProgramText();

struct WindowStart {
  enum class Action { kOpenWindow, kHelp, kVersion, kUsageError };
  Action action = Action::kOpenWindow;
  bool inDocuments = false;  // --in-documents: the window works in the documents folder's Orbivane
  std::string error;         // what is wrong with the command line
};

// The arguments after the program's name.
WindowStart ParseWindowCommandLine(const std::vector<std::string>& args);

// Prints the help, the version or the usage error, and returns the exit status.
int AnswerWithoutWindow(const WindowStart& start);

}  // namespace orbivane
