// Shared by the fuzz targets: a scratch folder, whole-file reads and writes,
// a window stand-in that records what it is told, and a check that stops the
// fuzzer with a message when an invariant breaks.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window_services.h"

namespace orbivane::fuzz {

#define FUZZ_CHECK(condition, ...)                                                   \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                             \
      std::fputc('\n', stderr);                                                      \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

// A folder of this process, made on first use (in memory where the system
// offers it) and removed at exit.
const std::string& ScratchFolder();
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
void Remove(const std::string& path);
// Names in the folder, sorted, separated by blanks.
std::string Names(const std::string& folder);

class RecordingServices final : public WindowServices {
 public:
  using Row = std::vector<std::string>;
  std::vector<std::string> messages;
  std::vector<Row> rows;
  int upper = -1;
  std::vector<int> positions;

  void PullTexts() override {}
  void PushTexts() override {}
  void ShowTotal(const std::string&) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetProgressRange(int, int high) override { upper = high; }
  void SetProgressPos(int pos) override { positions.push_back(pos); }
  void DeleteAllRows() override { rows.clear(); }
  void InsertRow(int row, const std::string& text) override {
    rows.insert(rows.begin() + row, Row{text, "", "", ""});
  }
  void SetCell(int row, int column, const std::string& text) override {
    rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
  }
  LocalTime CurrentTime() override { return LocalTime{2001, 12, 6, 1, 45, 9}; }
};

}  // namespace orbivane::fuzz
