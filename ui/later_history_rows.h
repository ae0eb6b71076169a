// The window services of a run on a thread other than the window's: the
// history row the run records is kept here and shown on the window's list by
// the window's thread once the run has ended, since only that thread may
// touch the window. The run's time is read from the window's clock.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "window_services.h"

namespace orbivane {

class LaterHistoryRows final : public WindowServices {
 public:
  explicit LaterHistoryRows(std::function<LocalTime()> clock) : m_clock(std::move(clock)) {}

  // On the window's thread, after the run: the rows, as the run showed them, on the window's list.
  void ShowOn(WindowServices& window) {
    for (const Call& call : m_calls) {
      if (call.column < 0) {
        window.InsertRow(call.row, call.text);
      } else {
        window.SetCell(call.row, call.column, call.text);
      }
    }
    m_calls.clear();
  }

  void InsertRow(int row, const std::string& text) override { m_calls.push_back({row, -1, text}); }
  void SetCell(int row, int column, const std::string& text) override { m_calls.push_back({row, column, text}); }
  LocalTime CurrentTime() override { return m_clock(); }
  // A run neither reads the controls nor shows a message or the progress bar.
  void PullTexts() override {}
  void PushTexts() override {}
  void ShowTotal(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int) override {}
  void DeleteAllRows() override {}

 private:
  struct Call {
    int row;
    int column;  // -1: the row's insertion with its first cell
    std::string text;
  };
  std::function<LocalTime()> m_clock;
  std::vector<Call> m_calls;
};

}  // namespace orbivane
