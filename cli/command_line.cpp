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
           "Writes the asteroids that the filter selects (by entry number: the line number of an ASTORB source, "
           "the number of the orbit line of an MPCORB one, e.g. \"1-1000, 1004-5000\") into a Skyloom catalog, at "
           "most 30000 of them, and records the run in DIR/history. A record is 119 characters, 120 for an asteroid "
           "numbered 100000 or more: its number fills the blank after the five-column number field and every later "
           "field moves one column to the right.",
           {{.name = "--source", .value = "FILE", .required = true,
             .description = "The ASTORB or MPCORB source (told by its text), plain or gzip-compressed (told by "
                            "its first two bytes); '-' is standard input."},
            {.name = "--output", .value = "FILE", .required = true,
             .description = "The catalog to write; one already there is replaced only by a complete new one. '-' "
                            "writes the records to standard output (the summary then goes to standard error)."},
            {.name = "--filter", .value = "TEXT", .required = true,
             .description = "The ranges of entry numbers to select."},
            kWorkdir}},
          {"select",
           "Writes the asteroids that a selection chooses into a Skyloom catalog and records the run in DIR/history, "
           "the selection written out as one text, its recipe. The criteria are optional and combine: a range "
           "filter, the brightest an asteroid gets over a window of days, H, orbit classes and names. At most N are "
           "kept: the brightest at their peak (without --brighter-than, those of smallest H), an earlier line "
           "first among equals, written in line order as convert writes them. Prints how many passed and how many "
           "were kept.",
           {{.name = "--source", .value = "FILE", .required = true, .nonEmpty = true,
             .description = "The ASTORB or MPCORB source, plain or gzip-compressed; '-' is standard input."},
            {.name = "--output", .value = "FILE", .required = true, .nonEmpty = true,
             .description = "The catalog to write; one already there is replaced only by a complete new one. '-' "
                            "writes the records to standard output (the summary then goes to standard error)."},
            {.name = "--filter", .value = "RANGES",
             .description = "Only the lines these ranges of entry numbers select (\"1-1000, 1004-5000\"); every "
                            "line by default."},
            {.name = "--brighter-than", .value = "M",
             .description = "Only the asteroids whose predicted V is at most M on a day of the window from --from "
                            "to --to (both days included, at most 3660 days): at 0h TT of each day, by two-body "
                            "motion from the line's orbit, in the IAU's H, G system."},
            {.name = "--from", .value = "YYYY-MM-DD", .withPrevious = true,
             .description = "The first day of the window of --brighter-than."},
            {.name = "--to", .value = "YYYY-MM-DD", .withPrevious = true,
             .description = "The last day of the window of --brighter-than."},
            {.name = "--elongation", .value = "E",
             .description = "With --brighter-than: the days on which the asteroid stands less than E degrees from "
                            "the Sun (0 to 180) do not count; 0 by default."},
            {.name = "--h-max", .value = "H", .description = "Only the asteroids of absolute magnitude at most H."},
            {.name = "--class", .value = "LIST",
             .description = "Only the asteroids of any of these orbit classes or groups, separated by commas: "
                            "atira, aten, apollo, amor, mars-crosser, inner-main, main, outer-main, trojan, "
                            "centaur, tno, other; the groups neo, hungaria, hilda."},
            {.name = "--names", .value = "LIST",
             .description = "Only these asteroids, separated by commas (\"Ceres, 433, 2024 YR4\"): a number is "
                            "the asteroid's number, a name or designation its name as the catalog writes it, in "
                            "small or capital letters alike."},
            {.name = "--max", .value = "N",
             .description = "Keeps at most N, 1 to 30000 (30000 by default)."},
            {.name = "--recipe", .value = "TEXT",
             .description = "A selection as the history records it (\"select; V<=13.00 from 2026-12-08 to "
                            "2027-01-06; max=500\"), instead of the options above."},
            {.name = "--dry-run",
             .description = "Writes and records nothing; prints what the selection makes of the source: the lines "
                            "read and the range of their epochs, the lines passing each criterion and all of them, "
                            "how many the cap drops, and those passing by orbit class."},
            {.name = "--list",
             .description = "Prints a line for each asteroid kept, in line order, its fields separated by tabs: "
                            "line number, orbit class, H, the peak V and its day (both '-' without "
                            "--brighter-than); the summary then goes to standard error."},
            kWorkdir}},
          {"count",
           "Prints the Total of the source: the number of its lines that end with a line break, or of an MPCORB "
           "source its orbit lines.",
           {{.name = "--source", .value = "FILE", .required = true, .nonEmpty = true,
             .description = "The ASTORB or MPCORB source, plain or gzip-compressed; '-' is standard input."},
            {.name = "--epochs",
             .description = "After the count, prints the epoch of osculation that most lines share, the file's "
                            "age in days and how many lines have another epoch, from the same pass."}}},
          {"history",
           "Prints the recorded runs, newest first: date and time, catalog file, filter and number of asteroids, "
           "separated by tabs.",
           {kWorkdir}},
          {"clear-history", "Deletes DIR/history.", {kWorkdir}},
          {"fetch",
           "Downloads the newest astorb.dat.gz (or MPCORB.DAT.gz) into FILE by way of FILE.part: resumes a cut "
           "download, asks only for a file newer than FILE, and replaces FILE only with a whole gzip file whose "
           "first line is an ASTORB line or whose text is MPCORB's. Ctrl+C keeps FILE.part for the next download "
           "to resume.",
           {{.name = "--source", .value = "NAME", .nonEmpty = true,
             .description = "Which catalog: astorb (Lowell Observatory's, the default) or mpcorb (the Minor Planet "
                            "Center's MPCORB.DAT.gz, by default from " ORBIVANE_MPCORB_DOWNLOAD_URL ")."},
            {.name = "--url", .value = "URL", .nonEmpty = true,
             .description = "The address to download, http:// or https://; by default " ORBIVANE_ASTORB_DOWNLOAD_URL
                            " (with --source mpcorb, MPCORB's)."},
            {.name = "--output", .value = "FILE", .nonEmpty = true, .fileOnly = true,
             .description = "The file to write (a file: a download is resumed and swapped in, so not '-'); "
                            "astorb.dat.gz by default (with --source mpcorb, MPCORB.DAT.gz)."},
#ifndef _WIN32
            {.name = "--cacert", .value = "FILE", .nonEmpty = true,
             .description = "Trusts the certificates of a PEM file instead of the system's (for a test server of "
                            "your own)."},
#endif
           }},
          {"refresh",
           "Compiles every catalog that DIR/history names again from the source, each with the filter or the "
           "selection of its newest run, into its own file, and records each run. A catalog whose file is gone is "
           "skipped, never made again; one that cannot be compiled keeps its previous file while the others go "
           "on. Prints a line for each catalog and a summary; exits 0 when every catalog there was is compiled, "
           "1 when any failed.",
           {{.name = "--fetch",
             .description = "First downloads the newest file into the source, as fetch does (MPCORB.DAT.gz when the "
                            "source is an MPCORB file, else astorb.dat.gz); when the download fails, nothing is "
                            "compiled."},
            {.name = "--url", .value = "URL", .nonEmpty = true,
             .description = "With --fetch: the address to download, http:// or https://; by default "
                            ORBIVANE_ASTORB_DOWNLOAD_URL " or " ORBIVANE_MPCORB_DOWNLOAD_URL "."},
            {.name = "--source", .value = "FILE", .nonEmpty = true, .fileOnly = true,
             .description = "The ASTORB or MPCORB source, plain or gzip-compressed; astorb.dat.gz in DIR by "
                            "default."},
            kWorkdir,
            {.name = "--dry-run",
             .description = "Compiles, downloads and records nothing; prints the address --fetch would download, "
                            "each catalog that would be compiled, with its filter and when it was compiled last."}}},
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
      if (const OptionText* option = optionOf(name); option != nullptr && option->value == nullptr) {
        error = "option '" + name + "' takes no value";
        return std::nullopt;
      }
    } else if (const OptionText* option = optionOf(name); option != nullptr && option->value != nullptr) {
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
