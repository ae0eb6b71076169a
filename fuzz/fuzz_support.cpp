#include "fuzz_support.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace orbivane::fuzz {

namespace {

std::string MakeScratchFolder() {
  // In memory where the system offers it, so that file work stays fast.
  for (const std::string& base : {std::string("/dev/shm"), std::filesystem::temp_directory_path().string()}) {
    std::string pattern = base + "/orbivane-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) return pattern;
  }
  std::perror("mkdtemp");
  std::abort();
}

}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = MakeScratchFolder();
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(ScratchFolder(), ec);
    });
    return true;
  }();
  (void)cleanup;
  return folder;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

void Remove(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

std::string Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
  return list;
}

}  // namespace orbivane::fuzz
