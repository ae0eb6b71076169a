// The selection by brightness and orbit (template IDD_SELECT): the criteria
// of a selection, the catalog file, and a preview of what the main window's
// source holds for them, counted on a thread of its own and counted again
// after each change. Start writes the catalog and records the run, as the
// main window's Start does, on a thread of its own too; the dialog only reads
// its controls into a Selection and hands it to the selection's library.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include <wx/timer.h>

#include "catalog.h"
#include "later_history_rows.h"
#include "pattern_dlg.h"
#include "selection.h"
#include "selection_job.h"

class wxButton;
class wxGauge;
class wxTextCtrl;

namespace orbivane {

class CSelectionDlg : public CPatternDlg {
 public:
  // Works on `main`'s source, starts from its File name and records the run
  // into its folder's history; the new row is shown through `window`.
  CSelectionDlg(wxWindow* parent, const CCatalog& main, WindowServices& window);
  // Cancels a count or a run still going, and waits for its thread.
  ~CSelectionDlg() override;

  // What the buttons do. Close (and Escape, and the close box) cancels a
  // count that is going and ends the dialog; during a run it cancels the run.
  void OnStart();
  void OnClose();
  void OnBrowseOutput();

  // True while the preview counts, or a run works.
  bool IsCounting() const { return m_count != nullptr; }
  bool IsRunning() const { return m_run != nullptr; }
  // True when the preview shows the controls as they are (or what a run did).
  bool IsPreviewUpToDate() const { return !m_bChanged && m_count == nullptr && m_run == nullptr; }
  // Counts that ended cancelled, since the dialog opened.
  int CancelledCounts() const { return m_nCancelledCounts; }

 private:
  struct Run;
  static constexpr int kGaugeRange = 1000;

  void CreateControls();
  // Reads the controls; false, and why, for a number that is none.
  bool ReadSelection(Selection& selection, std::string& error) const;
  // After a change the count starts again, once the changes pause.
  void OnChange();
  // Ten times a second: the progress, the end of a count or run, a new count.
  void OnTimer();
  void StartCount();
  void EndCount();
  void EndRun();
  void ShowPreview(const std::string& text);
  void ShowLinesRead(std::int64_t lines);
  // The controls of the selection take no input while a run works.
  void EnableInput(bool enable);

  const std::string m_strSourcePath;
  const std::string m_strWorkDir;
  const std::int64_t m_nSourceLines;  // the main window's Total; 0 when not known
  WindowServices& m_window;

  wxTextCtrl* m_editOutput = nullptr;
  wxTextCtrl* m_preview = nullptr;
  wxGauge* m_gauge = nullptr;
  wxButton* m_closeButton = nullptr;
  wxTimer m_timer;

  std::unique_ptr<SelectionJob> m_count;
  Selection m_countSelection;  // of the count going
  bool m_bChanged = true;  // the count shown is not of the controls as they are
  std::chrono::steady_clock::time_point m_changedAt;
  int m_nCancelledCounts = 0;
  std::unique_ptr<Run> m_run;
  // The catalog the user has agreed to replace: Start asks about no other.
  std::string m_strConfirmedOutput;
};

}  // namespace orbivane
