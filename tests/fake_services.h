// A recording stand-in for the window: every service call is kept as one
// line of text, and the history list is kept as rows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "window_services.h"

namespace orbivane::testing {

class FakeServices final : public WindowServices {
 public:
  using Row = std::array<std::string, 4>;

  std::vector<std::string> calls;
  std::vector<std::string> messages;
  std::vector<Row> rows;
  std::vector<int> positions;
  int rangeLower = -1;
  int rangeUpper = -1;
  std::string total;
  LocalTime now{2001, 12, 6, 1, 45, 9};

  void PullTexts() override { calls.push_back("PullTexts"); }
  void PushTexts() override { calls.push_back("PushTexts"); }
  void ShowTotal(const std::string& text) override { total = text; }
  void ShowMessage(const std::string& text) override {
    calls.push_back("ShowMessage " + text);
    messages.push_back(text);
  }
  void SetProgressRange(int lower, int upper) override {
    calls.push_back("SetProgressRange " + std::to_string(lower) + " " + std::to_string(upper));
    rangeLower = lower;
    rangeUpper = upper;
  }
  void SetProgressPos(int pos) override { positions.push_back(pos); }
  void DeleteAllRows() override {
    calls.push_back("DeleteAllRows");
    rows.clear();
  }
  void InsertRow(int row, const std::string& text) override { rows.insert(rows.begin() + row, Row{text}); }
  void SetCell(int row, int column, const std::string& text) override {
    rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
  }
  LocalTime CurrentTime() override {
    calls.push_back("CurrentTime");
    return now;
  }
};

}  // namespace orbivane::testing
