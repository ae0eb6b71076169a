// The window-system services that the catalog logic uses. The main dialog
// implements them with its controls, orbivane-cli with the console, and the
// tests with a recording fake; nothing else of a window system reaches the
// catalog code.
#pragma once

#include <string>

namespace orbivane {

// Local wall-clock time, as the clock of the machine shows it.
struct LocalTime {
  int year = 0;    // four digits
  int month = 0;   // 1 to 12
  int day = 0;     // 1 to 31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59
};

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // Copies what the controls show into the catalog's bound texts
  // (source path, Total, filter, output path).
  virtual void PullTexts() = 0;
  // Shows the catalog's bound texts in their controls.
  virtual void PushTexts() = 0;
  // Shows a text in the Total field at once, leaving m_strTotal alone.
  virtual void ShowTotal(const std::string& text) = 0;

  // A modal message with one OK button; returns when it is dismissed.
  virtual void ShowMessage(const std::string& text) = 0;

  // Progress bar bounds and position; both bounds fit in 16 bits.
  virtual void SetProgressRange(int lower, int upper) = 0;
  virtual void SetProgressPos(int pos) = 0;

  // The history list: four columns, row 0 on top.
  virtual void DeleteAllRows() = 0;
  virtual void InsertRow(int row, const std::string& text) = 0;
  virtual void SetCell(int row, int column, const std::string& text) = 0;

  virtual LocalTime CurrentTime() = 0;
};

}  // namespace orbivane
