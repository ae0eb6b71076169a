// The one description of a program's command line. --help prints it, whole
// or one command's part, and the build makes the SYNOPSIS, COMMANDS and
// OPTIONS of the program's manual page from it, so the two cannot differ.
// Standard library only: both programs and the manual's generator use it.
#pragma once

#include <string>
#include <vector>

namespace orbivane {

struct OptionText {
  const char* name;                  // "--source"
  const char* value = nullptr;       // "FILE"; none for an option without a value
  const char* shortName = nullptr;   // "-h"
  bool required = false;             // the command needs it
  bool nonEmpty = false;             // an empty value is refused
  bool fileOnly = false;             // "-" (a standard stream) is refused: it must be a file
  bool alone = false;                // the whole command line, as --help and --version are
  bool withPrevious = false;         // of a value, given only with the option before it: in its brackets
  const char* description = "";      // sentences, unwrapped
};

struct CommandText {
  const char* name;  // "convert"
  const char* description;
  std::vector<OptionText> options;
};

struct ProgramText {
  const char* name;                   // "orbivane-cli"
  const char* description;            // of the program as a whole; may be empty
  std::vector<CommandText> commands;  // none for a program without commands
  std::vector<OptionText> options;    // of the program itself
};

// "orbivane-cli convert --source FILE --output FILE --filter TEXT [--workdir DIR]".
std::string UsageLine(const ProgramText& program, const CommandText& command);
// Every command with every option, and the program's own options.
std::string ProgramHelp(const ProgramText& program);
// "Usage: " and the command's usage line, then its description and options as the whole help shows them.
std::string CommandHelp(const ProgramText& program, const CommandText& command);
// The command of that name, or none.
const CommandText* FindCommand(const ProgramText& program, const std::string& name);

// The manual page's SYNOPSIS, and its COMMANDS (where there are commands) and OPTIONS, in roff.
std::string ManualSynopsis(const ProgramText& program);
std::string ManualOptions(const ProgramText& program);
// The body of a manual page generator: `program TEMPLATE OUTPUT VERSION` writes the template with its lines
// "@SYNOPSIS@" and "@OPTIONS@" replaced by the sections above and "@PROJECT_VERSION@" by VERSION.
int ManualPageMain(const ProgramText& program, int argc, char** argv);

}  // namespace orbivane
