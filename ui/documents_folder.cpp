#include "documents_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "file_message.h"

namespace orbivane {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The value of an assignment as the shell reads it, "$HOME/Dokumente" or "/data/docs"; a value of another form
// names no folder.
std::string FolderOf(const std::string& value, const std::string& home) {
  std::string text;
  const bool quoted = value.starts_with('"');
  for (std::size_t i = quoted ? 1 : 0; i < value.size() && value[i] != (quoted ? '"' : ' '); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    text += value[i];
  }
  if (text == "$HOME" || text.starts_with("$HOME/")) return home + text.substr(5);
  return text.starts_with('/') ? text : "";
}

std::string DocumentsFolder(const std::string& home) {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.starts_with('/')) config = home + "/.config";
  std::string folder = home + "/Documents";
  std::ifstream dirs(config + "/user-dirs.dirs");
  const std::string key = "XDG_DOCUMENTS_DIR=";
  for (std::string line; std::getline(dirs, line);) {
    line.erase(0, line.find_first_not_of(" \t"));
    if (line.starts_with(key)) {
      if (std::string named = FolderOf(line.substr(key.size()), home); !named.empty()) folder = named;
    }
  }
  return folder + "/Orbivane";
}

}  // namespace

std::string EnterDocumentsFolder() {
  const std::string home = Environment("HOME");
  std::string problem = "Cannot find the documents folder: HOME is not set";
  if (!home.empty()) {
    const std::string folder = DocumentsFolder(home);
    const std::filesystem::path path(folder);
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error) {
      std::filesystem::current_path(path, error);
      if (!error) return "";
      problem = FileMessage("use", "folder", folder, error.message());
    } else {
      problem = FileMessage("create", "folder", folder, error.message());
    }
  }
  std::string current;
  if (CurrentDirectory(current) != 0) current = ".";
  return problem + "; working in \"" + current + "\" instead";
}

}  // namespace orbivane
