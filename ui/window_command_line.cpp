#include "window_command_line.h"

#include "standard_output.h"

namespace orbivane {

const ProgramText& WindowProgramText() {
  static const ProgramText program{
      "orbivane",
      "Opens the Orbivane window, which builds Skyloom asteroid catalogs from Lowell Observatory's ASTORB orbit "
      "catalog and keeps the history of its runs in a file named history in the folder it works in: the folder "
      "it was started from.",
      {},
      {
#ifndef _WIN32
          {.name = "--in-documents",
           .description = "Works in the folder Orbivane of the documents folder (XDG_DOCUMENTS_DIR of "
                          "user-dirs.dirs, else ~/Documents), made when missing, instead of the folder it was "
                          "started from; the desktop menu's entry starts the window so."},
#endif
          {.name = "--help", .shortName = "-h", .alone = true, .description = "Prints the help and exits."},
          {.name = "--version", .alone = true, .description = "Prints the version and exits."},
      },
  };
  return program;
}

WindowStart ParseWindowCommandLine(const std::vector<std::string>& args) {
  using Action = WindowStart::Action;
  WindowStart start;
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) start.action = Action::kHelp;
  if (args.size() == 1 && args[0] == "--version") start.action = Action::kVersion;
  if (start.action != Action::kOpenWindow) return start;
  for (const std::string& arg : args) {
#ifndef _WIN32
    if (arg == "--in-documents" && !start.inDocuments) {
      start.inDocuments = true;
      continue;
    }
#endif
    start.action = Action::kUsageError;
    start.error = start.inDocuments && arg == "--in-documents" ? "option '--in-documents' given twice"
                                                               : "unexpected argument '" + arg + "'";
    break;
  }
  return start;
}

int AnswerWithoutWindow(const WindowStart& start) {
  switch (start.action) {
    case WindowStart::Action::kHelp:
      return WriteStandardOutput(ProgramHelp(WindowProgramText()));
    case WindowStart::Action::kVersion:
      return WriteStandardOutput("orbivane " ORBIVANE_VERSION "\n");
    case WindowStart::Action::kUsageError:
      WriteStandardError("orbivane: " + start.error + "\nTry 'orbivane --help' for more information.\n");
      return 2;
    case WindowStart::Action::kOpenWindow:
      break;
  }
  return 0;
}

}  // namespace orbivane
