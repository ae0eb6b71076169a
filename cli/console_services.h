// The window-system services on a terminal: messages go to stderr, progress
// is a line on stderr when stderr is a terminal, and the history list is kept
// in memory for printing.
#pragma once

#include <array>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>

#include "window_services.h"

namespace orbivane {

// What the messages stream is, and so how a progress line is drawn on it.
enum class Terminal {
  kNone,     // a file, a pipe or a device: no progress line at all
  kPlain,    // a console without escape codes: each line blanks out the rest of the one before
  kEscapes,  // a terminal that erases to the end of the line on ESC [K
};

// Asks the system about `stream`; on a Windows console, turns its escape
// codes on where it has them (until the program ends).
Terminal TerminalOf(std::FILE* stream);

class ConsoleServices final : public WindowServices {
 public:
  explicit ConsoleServices(std::FILE* messages = stderr) : ConsoleServices(messages, TerminalOf(messages)) {}
  ConsoleServices(std::FILE* messages, Terminal terminal);
  ~ConsoleServices() override;

  using Row = std::array<std::string, 4>;
  // The list as a window would show it, row 0 on top. The newest run goes on
  // top, one row at a time: a deque takes each at its front in constant time.
  const std::deque<Row>& rows() const { return rows_; }
  // Clears a progress line from the terminal before other output.
  void EndProgress();
  // A progress line of any other work, redrawn at most ten times a second.
  void ShowProgressLine(const std::string& text);

  void PullTexts() override {}
  void PushTexts() override {}
  void ShowTotal(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int pos) override;
  void DeleteAllRows() override { rows_.clear(); }
  void InsertRow(int row, const std::string& text) override;
  void SetCell(int row, int column, const std::string& text) override;
  LocalTime CurrentTime() override;

 private:
  bool DueForRedraw();
  void Draw(const std::string& line);

  std::FILE* messages_;
  const Terminal terminal_;
  bool drawn_ = false;
  std::size_t drawnWidth_ = 0;  // of the line on the terminal now
  int lower_ = 0;
  int upper_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::deque<Row> rows_;
};

}  // namespace orbivane
