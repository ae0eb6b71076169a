#include "command_line.h"

#include <set>
#include <string_view>

#ifdef _WIN32
#include <filesystem>
#endif

namespace orbivane {

namespace {

const std::map<std::string, std::set<std::string>>& Commands() {
  static const std::map<std::string, std::set<std::string>> commands = {
      {"convert", {"--source", "--output", "--filter", "--workdir"}},
      {"count", {"--source"}},
      {"history", {"--workdir"}},
      {"clear-history", {"--workdir"}},
      {"fetch", {"--url", "--output", "--cacert"}},
  };
  return commands;
}

const std::map<std::string, std::set<std::string>>& Required() {
  static const std::map<std::string, std::set<std::string>> required = {
      {"convert", {"--source", "--output", "--filter"}},
      {"count", {"--source"}},
  };
  return required;
}

// Options whose empty value is refused: an empty folder would put the
// history at the root of the file system, an empty source counts nothing.
const std::map<std::string, std::set<std::string>>& NonEmpty() {
  static const std::map<std::string, std::set<std::string>> nonEmpty = {
      {"convert", {"--workdir"}},
      {"count", {"--source"}},
      {"history", {"--workdir"}},
      {"clear-history", {"--workdir"}},
      {"fetch", {"--url", "--output", "--cacert"}},
  };
  return nonEmpty;
}

}  // namespace

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
  const auto command = Commands().find(line.command);
  if (command == Commands().end()) {
    error = "unknown command '" + line.command + "'";
    return std::nullopt;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    } else if (command->second.count(name) != 0) {
      if (i + 1 == args.size()) {
        error = "option '" + name + "' needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (command->second.count(name) == 0) {
      error = "unexpected argument '" + name + "' for " + line.command;
      return std::nullopt;
    }
    if (!line.options.emplace(name, value).second) {
      error = "option '" + name + "' given twice";
      return std::nullopt;
    }
  }
  if (const auto required = Required().find(line.command); required != Required().end()) {
    for (const std::string& name : required->second) {
      if (line.options.count(name) == 0) {
        error = line.command + " needs " + name;
        return std::nullopt;
      }
    }
  }
  for (const std::string& name : NonEmpty().at(line.command)) {
    if (const auto value = line.Option(name); value && value->empty()) {
      error = "option '" + name + "' needs a non-empty value";
      return std::nullopt;
    }
  }
  return line;
}

std::string AbsolutePath(const std::string& path, const std::string& currentDirectory) {
  if (path.empty()) return path;
#ifdef _WIN32
  (void)currentDirectory;
  const std::u8string absolute =
      std::filesystem::absolute(std::u8string(path.begin(), path.end())).lexically_normal().u8string();
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
