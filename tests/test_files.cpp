#include "test_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

namespace orbivane::testing {

// Paths are UTF-8 in the program and in the tests, on every system.
std::filesystem::path PathOf(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

namespace {

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

ScratchDir::ScratchDir() {
  std::random_device random;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  for (int attempt = 0; path_.empty(); ++attempt) {
    const std::filesystem::path candidate = temporary / ("orbivane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) path_ = Utf8(candidate);
    if (attempt == 100) throw std::runtime_error("cannot make a scratch folder");
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Folders (and, on Windows, files) made read-only by a test must be writable
  // again to be removed; links are left alone, as their targets are not ours.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(PathOf(path_), ec)) {
    if (entry.is_symlink(ec)) continue;
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
  }
  std::filesystem::permissions(PathOf(path_), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                               ec);
  std::filesystem::remove_all(PathOf(path_), ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path), ec));
}

void MakeDir(const std::string& path) {
  if (!std::filesystem::create_directory(PathOf(path))) throw std::runtime_error("cannot make " + path);
}

std::string ListDir(const std::string& path) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf(path))) {
    names.insert(Utf8(entry.path().filename()));
  }
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
  return list;
}

std::string CurrentLine(int number, const std::string& name) {
  // Hilda's line from the sample, with another number and name.
  std::string line =
      "   153 Hilda              E. Bowell        7.48  0.15 0.67 170.6 C       0   0   0   0   0   0 41013  936 "
      "20070719 359.200297  40.354462 228.308071  7.829885 0.14111330   3.98907828 20070722 5.8E-02 -2.7E-04 "
      "20070830 6.3E-02 20080829 8.3E-02 20150624 8.3E-02 20150624";
  char numberText[16];
  std::snprintf(numberText, sizeof numberText, "%6d", number);
  line.replace(0, 6, numberText);
  std::string field = name.substr(0, 18);
  field.resize(18, ' ');
  line.replace(7, 18, field);
  return line;
}

std::string NumberedSource(int count) {
  std::string text;
  for (int n = 1; n <= count; ++n) text += CurrentLine(n, "Body " + std::to_string(n)) + "\n";
  return text;
}

std::string SampleFile(const std::string& name) { return std::string(ORBIVANE_TEST_DATA) + "/" + name; }

}  // namespace orbivane::testing
