// Scratch folders, whole-file reads and writes, sources and a stand-in window for the tests.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "window_services.h"

namespace orbivane::testing {

// A fresh folder that is deleted with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() : path_((std::filesystem::temp_directory_path() / "orbivane-test-XXXXXX").string()) {
    if (::mkdtemp(path_.data()) == nullptr) std::abort();
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(path, std::ios::binary) << bytes)) std::abort();
}

inline bool FileExists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(path));
}

// Names in the folder, sorted, separated by blanks.
inline std::string ListDir(const std::string& path) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) names.insert(entry.path().filename());
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
