#include "command_line.h"

#include <string_view>

#ifdef _WIN32
#include <filesystem>
#endif

#include "web_addresses.h"

namespace orbivane {

namespace {

constexpr OptionText kWorkdir{.name = "--workdir", .value = "DIR", .nonEmpty = true,
                              .description = "The folder of the history file; the current folder by default."};

}  // namespace

const ProgramText& CliProgramText() {
  // An empty --source, --output or --filter of convert is no usage error: the run says what is missing, as the
  // window does.
  static const ProgramText program{
      "orbivane-cli",
      "",
      {
          {"convert",
           "Writes the asteroids that the filter selects (by line number of the ASTORB source, e.g. "
           "\"1-1000, 1004-5000\") into a Skyloom catalog, at most 30000 of them, and records the run in "
           "DIR/history. A record is 119 characters, 120 for an asteroid numbered 100000 or more: its number fills "
           "the blank after the five-column number field and every later field moves one column to the right.",
           {{.name = "--source", .value = "FILE", .required = true,
             .description = "The ASTORB source, plain or gzip-compressed (told by its first two bytes); '-' is "
                            "standard input."},
            {.name = "--output", .value = "FILE", .required = true,
             .description = "The catalog to write; one already there is replaced only by a complete new one. '-' "
                            "writes the records to standard output (the summary then goes to standard error)."},
            {.name = "--filter", .value = "TEXT", .required = true,
             .description = "The ranges of entry numbers to select."},
            kWorkdir}},
          {"count",
           "Prints the number of lines of the source that end with a line break.",
           {{.name = "--source", .value = "FILE", .required = true, .nonEmpty = true,
             .description = "The ASTORB source, plain or gzip-compressed; '-' is standard input."}}},
          {"history",
           "Prints the recorded runs, newest first: date and time, catalog file, filter and number of asteroids, "
           "separated by tabs.",
           {kWorkdir}},
          {"clear-history", "Deletes DIR/history.", {kWorkdir}},
          {"fetch",
           "Downloads the newest astorb.dat.gz into FILE by way of FILE.part: resumes a cut download, asks only for "
           "a file newer than FILE, and replaces FILE only with a whole gzip file whose first line is an ASTORB "
           "line. Ctrl+C keeps FILE.part for the next download to resume.",
           {{.name = "--url", .value = "URL", .nonEmpty = true,
             .description = "The address to download, http:// or https://; by default " ORBIVANE_ASTORB_DOWNLOAD_URL
                            "."},
            {.name = "--output", .value = "FILE", .nonEmpty = true, .fileOnly = true,
             .description = "The file to write (a file: a download is resumed and swapped in, so not '-'); "
                            "astorb.dat.gz by default."},
#ifndef _WIN32
            {.name = "--cacert", .value = "FILE", .nonEmpty = true,
             .description = "Trusts the certificates of a PEM file instead of the system's (for a test server of "
                            "your own)."},
#endif
           }},
      },
      {{.name = "--help", .shortName = "-h", .alone = true,
        .description = "Prints the help, or after a command that command's help, and exits."},
       {.name = "--version", .alone = true, .description = "Prints the version and exits."}},
  };
  return program;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
  if (args.empty()) {
    error = "no command given";
    return std::nullopt;
  }
  CommandLine line;
  line.command = args[0];
  if (line.command == "--help" || line.command == "-h" || line.command == "--version") {
    if (args.size() > 1) {
      error = "unexpected argument '" + args[1] + "'";
      return std::nullopt;
    }
    if (line.command == "-h") line.command = "--help";
    return line;
  }
  const CommandText* command = FindCommand(CliProgramText(), line.command);
  if (command == nullptr) {
    error = "unknown command '" + line.command + "'";
    return std::nullopt;
  }
  const auto optionOf = [command](const std::string& name) -> const OptionText* {
    for (const OptionText& option : command->options) {
      if (name == option.name) return &option;
    }
    return nullptr;
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i];
    if (name == "--help" || name == "-h") {
      line.help = true;
      return line;
    }
    std::string value;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    } else if (optionOf(name) != nullptr) {
      if (i + 1 == args.size()) {
        error = "option '" + name + "' needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (optionOf(name) == nullptr) {
      error = "unexpected argument '" + name + "' for " + line.command;
      return std::nullopt;
    }
    if (!line.options.emplace(name, value).second) {
      error = "option '" + name + "' given twice";
      return std::nullopt;
    }
  }
  for (const OptionText& option : command->options) {
    if (option.required && line.options.count(option.name) == 0) {
      error = line.command + " needs " + option.name;
      return std::nullopt;
    }
  }
  for (const OptionText& option : command->options) {
    if (const auto value = line.Option(option.name); option.nonEmpty && value && value->empty()) {
      error = "option '" + std::string(option.name) + "' needs a non-empty value";
      return std::nullopt;
    }
    if (const auto value = line.Option(option.name); option.fileOnly && value == "-") {
      error = line.command + " needs a file for " + option.name + ", not '-' (standard output)";
      return std::nullopt;
    }
  }
  return line;
}

std::string AbsolutePath(const std::string& path, const std::string& currentDirectory) {
  if (path.empty()) return path;
#ifdef _WIN32
  (void)currentDirectory;
  // Joined here rather than by the system, which turns a device name (con.slc) into the device's own path.
  const std::u8string absolute =
      (std::filesystem::current_path() / std::u8string(path.begin(), path.end())).lexically_normal().u8string();
  return std::string(absolute.begin(), absolute.end());
#else
  const std::string joined = path.front() == '/' ? path : currentDirectory + "/" + path;
  std::string result;
  std::size_t i = 0;
  while (i < joined.size()) {
    const std::size_t slash = joined.find('/', i);
    const std::size_t end = slash == std::string::npos ? joined.size() : slash;
    const std::string_view part(joined.data() + i, end - i);
    if (!part.empty() && part != ".") {
      result += '/';
      result += part;
    }
    i = end + 1;
  }
  // A path that ends in a separator (or in "/.") names a folder and keeps
  // saying so: the file named by the rest is not meant.
  const bool namesFolder = joined.back() == '/' || joined.ends_with("/.");
  if (result.empty() || namesFolder) result += '/';
  return result;
#endif
}

}  // namespace orbivane
