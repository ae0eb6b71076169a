// The command line of orbivane-cli.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "web_addresses.h"

namespace orbivane {

inline constexpr const char* kUsage =
    "Usage:\n"
    "  orbivane-cli convert --source FILE --output FILE --filter TEXT [--workdir DIR]\n"
    "  orbivane-cli count --source FILE\n"
    "  orbivane-cli history [--workdir DIR]\n"
    "  orbivane-cli clear-history [--workdir DIR]\n"
    "  orbivane-cli fetch [--url URL] [--output FILE] [--cacert FILE]\n"
    "  orbivane-cli --help | --version\n"
    "\n"
    "convert        writes the asteroids that the filter selects (by line number of\n"
    "               the ASTORB source, e.g. \"1-1000, 1004-5000\") into a Skyloom\n"
    "               catalog, at most 30000 of them, and records the run in DIR/history;\n"
    "               a record is 119 characters, 120 for an asteroid numbered 100000\n"
    "               or more: its number fills the blank after the five-column number\n"
    "               field and every later field moves one column to the right\n"
    "count          prints the number of lines of the source that end with a line break\n"
    "history        prints the recorded runs, newest first: date/time, catalog file,\n"
    "               filter and number of asteroids, separated by tabs\n"
    "clear-history  deletes DIR/history\n"
    "fetch          downloads the newest astorb.dat.gz from URL (default\n"
    "               " ORBIVANE_ASTORB_DOWNLOAD_URL ")\n"
    "               into FILE (default astorb.dat.gz), by way of FILE.part: resumes\n"
    "               a cut download, asks only for a file newer than FILE, and replaces\n"
    "               FILE only with a whole gzip file whose first line is an ASTORB line.\n"
    "               --cacert trusts the certificates of a PEM file instead of the\n"
    "               system's (for a test server of your own)\n"
    "\n"
    "DIR defaults to the current directory.\n";

struct CommandLine {
  std::string command;  // convert, count, history, clear-history, fetch, --help, --version
  std::map<std::string, std::string> options;  // "--source" -> value

  std::optional<std::string> Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
  }
};

// Parses the arguments after the program name; nullopt and a reason for a
// command line that does not fit the usage.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// The path made absolute against the current directory, without resolving
// links, with "." components and repeated separators removed; a path that
// ends in a separator still does.
std::string AbsolutePath(const std::string& path, const std::string& currentDirectory);

}  // namespace orbivane
