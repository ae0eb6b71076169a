// Scratch folders, whole-file reads and writes, sources and a stand-in window for the tests.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "window_services.h"

namespace orbivane::testing {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif
inline constexpr bool kWindows = kSeparator == '\\';

// A UTF-8 path as the system's own path type: the program's paths are UTF-8 on every system.
inline std::filesystem::path PathOf(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A fresh folder that is deleted with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    for (int attempt = 0; path_.empty() && attempt < 100; ++attempt) {
      const auto candidate = std::filesystem::temp_directory_path() / ("orbivane-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) path_ = Utf8(candidate);
    }
    if (path_.empty()) std::abort();
  }
  ~ScratchDir() { std::filesystem::remove_all(PathOf(path_)); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(PathOf(path), std::ios::binary) << bytes)) std::abort();
}

inline bool FileExists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path)));
}

// Names in the folder, sorted, separated by blanks.
inline std::string ListDir(const std::string& path) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf(path))) {
    names.insert(Utf8(entry.path().filename()));
  }
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : " ") + name;
  return list;
}

inline std::string SampleFile(const std::string& name) { return std::string(ORBIVANE_TEST_DATA) + "/" + name; }

// A source of `count` lines of today's layout: line n is the sample's Hilda behind the number n.
inline std::string NumberedSource(int count) {
  const std::string hilda = ReadFile(SampleFile("astorb-current-sample.dat")).substr(268 + 6, 262);
  std::string text;
  for (int n = 1; n <= count; ++n) text += std::string(6 - std::to_string(n).size(), ' ') + std::to_string(n) + hilda;
  return text;
}

// A window that records its messages, its progress bar and its history list.
class FakeServices final : public WindowServices {
 public:
  using Row = std::array<std::string, 4>;
  std::vector<std::string> messages;
  std::vector<Row> rows;
  std::vector<int> positions;
  int upper = -1;

  void PullTexts() override {}
  void PushTexts() override {}
  void ShowTotal(const std::string&) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetProgressRange(int, int high) override { upper = high; }
  void SetProgressPos(int pos) override { positions.push_back(pos); }
  void DeleteAllRows() override { rows.clear(); }
  void InsertRow(int row, const std::string& text) override { rows.insert(rows.begin() + row, Row{text}); }
  void SetCell(int row, int column, const std::string& text) override { rows.at(row).at(column) = text; }
  LocalTime CurrentTime() override { return LocalTime{2001, 12, 6, 1, 45, 9}; }
};

}  // namespace orbivane::testing
