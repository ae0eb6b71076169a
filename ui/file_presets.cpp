#include "file_presets.h"

#include <cstdio>

namespace orbivane {

namespace {

// A folder that already ends in a separator (the root) gets no second one.
std::string InFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == kPathSeparator) return folder + name;
  return folder + kPathSeparator + name;
}

}  // namespace

std::string SourcePresetName(const std::string& workDir) { return InFolder(workDir, "astorb.dat"); }

std::string DownloadPresetName(const std::string& sourcePath, const std::string& workDir) {
  const std::size_t slash = sourcePath.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  if (sourcePath.empty() || slash == std::string::npos) return InFolder(workDir, "astorb.dat.gz");
  return sourcePath.substr(0, slash + 1) + "astorb.dat.gz";
}

std::string MpcorbDownloadName(const std::string& chosen) {
  const std::size_t slash = chosen.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  if (chosen.compare(name, std::string::npos, "astorb.dat.gz") != 0) return chosen;
  return chosen.substr(0, name) + "MPCORB.DAT.gz";
}

std::string OutputPresetName(const std::string& workDir, const LocalTime& now) {
  char name[64];
  std::snprintf(name, sizeof name, "%02d%02d_%02d%02d", now.day, now.month, now.hour, now.minute);
  return InFolder(workDir, name);
}

std::string WithDefaultExtension(const std::string& path, const std::string& ext) {
  const std::size_t nameStart = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  const std::string_view name = std::string_view(path).substr(nameStart == std::string::npos ? 0 : nameStart + 1);
  if (name.empty() || name.find('.') != std::string_view::npos) return path;
  return path + "." + ext;
}

}  // namespace orbivane
