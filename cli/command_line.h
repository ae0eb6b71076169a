// The command line of orbivane-cli.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "usage_text.h"

namespace orbivane {

// The commands, their options and their descriptions: what the parser takes, --help prints and the manual page
// says. Only what works on this system is offered (Windows' transport trusts the system's certificates only, so
// there is no --cacert there).
const ProgramText& CliProgramText();

struct CommandLine {
  std::string command;  // convert, select, count, history, clear-history, fetch, refresh, --help, --version
  bool help = false;    // --help or -h after the command: its help, not the command
  std::map<std::string, std::string> options;  // "--source" -> value

  std::optional<std::string> Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
  }
};

// Parses the arguments after the program name; nullopt and a reason for a
// command line that does not fit the usage. After a command, --help (or -h)
// where an option's name may stand asks for its help; what follows it is not
// looked at.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// The path made absolute against the current directory, without resolving
// links, with "." components and repeated separators removed; a path that
// ends in a separator still does.
std::string AbsolutePath(const std::string& path, const std::string& currentDirectory);

}  // namespace orbivane
