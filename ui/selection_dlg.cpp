#include "selection_dlg.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "catalog_file_dialog.h"
#include "message_box.h"
#include "readable_text.h"
#include "recipe.h"
#include "resource_ids.h"
#include "selection_preview.h"
#include "source_age.h"

namespace orbivane {

namespace {

constexpr int kRefreshMs = 100;
// Typing goes on for a while: the count starts again once it pauses this long.
constexpr std::chrono::milliseconds kPause{300};

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// An empty field gives none; a field that is not a number, false.
bool ReadNumber(const wxWindow* field, std::optional<double>& value) {
  const std::string text = static_cast<const wxTextCtrl*>(field)->GetValue().utf8_string();
  const std::string_view number = Trimmed(text);
  value.reset();
  if (number.empty()) return true;
  double read = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), read);
  if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(read)) return false;
  value = read;
  return true;
}

sky::CalendarDay DayOf(const wxWindow* picker) {
  const wxDateTime day = static_cast<const wxDatePickerCtrl*>(picker)->GetValue();
  return {day.GetYear(), static_cast<int>(day.GetMonth()) + 1, day.GetDay()};
}

}  // namespace

// A run, with the window services and the catalog it records through; the
// job goes first, so that its thread ends before they do.
struct CSelectionDlg::Run {
  Run(WindowServices& window, const std::string& workDir)
      : rows([&window] { return window.CurrentTime(); }), catalog(rows, workDir) {}
  LaterHistoryRows rows;
  CCatalog catalog;
  Selection selection;
  std::unique_ptr<SelectionJob> job;
};

CSelectionDlg::CSelectionDlg(wxWindow* parent, const CCatalog& main, WindowServices& window)
    : CPatternDlg(IDD_SELECT, parent, "Select by brightness and orbit", wxSize(332, 291), false),
      m_strSourcePath(main.m_strSourcePath),
      m_strWorkDir(main.m_strWorkDir),
      m_nSourceLines(main.m_nTotal),
      m_window(window),
      m_timer(this) {
  CreateControls();
  m_editOutput->ChangeValue(wxString::FromUTF8(main.m_strOutputPath));
  auto* age = static_cast<wxStaticText*>(FindWindow(IDC_SELECT_AGE));
  age->SetLabelText(wxString::FromUTF8(ReadableUtf8(SourceAgeText(main, " (Ctrl+D in the main window)"))));
  age->Wrap(age->GetSize().x);
  FindWindow(IDC_SELECT_MAGNITUDE)->SetFocus();

  Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnChange(); });
  Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnChange(); });
  Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) { OnChange(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnStart(); }, IDC_SELECT_START);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseOutput(); }, IDC_SELECT_BROWSE);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClose(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnClose(); });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); });
  m_changedAt = std::chrono::steady_clock::now() - kPause;  // the first count starts at once
  m_timer.Start(kRefreshMs);
}

CSelectionDlg::~CSelectionDlg() {
  m_timer.Stop();
  m_count.reset();
  m_run.reset();
}

bool CSelectionDlg::ReadSelection(Selection& selection, std::string& error) const {
  selection = Selection();
  selection.ranges = Trimmed(static_cast<wxTextCtrl*>(FindWindow(IDC_SELECT_FILTER))->GetValue().utf8_string());
  if (!ReadNumber(FindWindow(IDC_SELECT_MAGNITUDE), selection.brighterThan)) {
    error = "The magnitude limit is not a number.";
    return false;
  }
  selection.from = DayOf(FindWindow(IDC_SELECT_FROM));
  selection.to = DayOf(FindWindow(IDC_SELECT_TO));
  std::optional<double> elongation;
  if (!ReadNumber(FindWindow(IDC_SELECT_ELONGATION), elongation)) {
    error = "The solar elongation is not a number.";
    return false;
  }
  selection.elongation = elongation.value_or(0);
  if (!ReadNumber(FindWindow(IDC_SELECT_H), selection.hAtMost)) {
    error = "The H limit is not a number.";
    return false;
  }
  for (int i = 0; i < sky::kOrbitClassCount + sky::kOrbitGroupCount; ++i) {
    if (!static_cast<wxCheckBox*>(FindWindow(IDC_SELECT_CLASS + i))->GetValue()) continue;
    if (i < sky::kOrbitClassCount) {
      selection.classes.push_back(static_cast<sky::OrbitClass>(i));
    } else {
      selection.groups |= 1u << (i - sky::kOrbitClassCount);
    }
  }
  selection.names = SplitNames(static_cast<wxTextCtrl*>(FindWindow(IDC_SELECT_NAMES))->GetValue().utf8_string());
  std::optional<double> most;
  if (!ReadNumber(FindWindow(IDC_SELECT_MAX), most) || (most && *most != std::floor(*most))) {
    error = "The number of asteroids to keep is not a whole number.";
    return false;
  }
  // CheckSelection refuses a number out of range, naming one beyond an int's range as the int's bound.
  if (most) selection.maxKept = static_cast<int>(std::clamp(*most, double{INT_MIN}, double{INT_MAX}));
  error = CheckSelection(selection);
  return error.empty();
}

void CSelectionDlg::OnChange() {
  m_bChanged = true;
  m_changedAt = std::chrono::steady_clock::now();
  if (m_count) m_count->Cancel();
}

void CSelectionDlg::OnTimer() {
  if (m_run) {
    if (!m_run->job->IsDone()) {
      ShowLinesRead(m_run->job->LinesRead());
      return;
    }
    EndRun();
  }
  if (m_count) {
    if (!m_count->IsDone()) {
      ShowLinesRead(m_count->LinesRead());
      if (!m_bChanged) ShowPreview(CountingText(m_count->LinesRead(), m_nSourceLines));
      return;
    }
    EndCount();
  }
  if (m_bChanged && std::chrono::steady_clock::now() - m_changedAt >= kPause) StartCount();
}

void CSelectionDlg::StartCount() {
  m_bChanged = false;
  m_gauge->SetValue(0);
  Selection selection;
  std::string refused;
  if (!ReadSelection(selection, refused)) {
    ShowPreview(refused);
    return;
  }
  if (m_strSourcePath.empty()) {
    ShowPreview("Choose the source catalog in the main window to see what it holds.");
    return;
  }
  ShowPreview(CountingText(0, m_nSourceLines));
  m_countSelection = selection;
  m_count = std::make_unique<SelectionJob>(
      [source = m_strSourcePath, selection](SelectionProgress* progress, const std::atomic<bool>* cancel) {
        return PreviewSelection(source, selection, progress, cancel);
      });
}

void CSelectionDlg::EndCount() {
  const SelectionOutcome& outcome = m_count->Outcome();
  if (outcome.result == SelectionOutcome::Result::kCancelled) ++m_nCancelledCounts;
  // A count of controls changed since is dropped: the next one follows.
  if (!m_bChanged) {
    if (outcome.result == SelectionOutcome::Result::kFailed) {
      ShowPreview(outcome.message);
    } else if (outcome.result == SelectionOutcome::Result::kDone) {
      m_gauge->SetValue(kGaugeRange);
      ShowPreview(PreviewText(m_countSelection, outcome.counts));
    }
  }
  m_count.reset();
}

void CSelectionDlg::OnClose() {
  if (m_run) {
    m_run->job->Cancel();
    return;
  }
  if (m_count) {
    m_count->Cancel();
    EndCount();
  }
  m_timer.Stop();
  if (IsModal()) EndModal(wxID_CANCEL);
}

void CSelectionDlg::OnBrowseOutput() {
  const std::string current = m_editOutput->GetValue().utf8_string();
  const std::optional<std::string> path = ChooseNewCatalog(*this, current);
  if (!path) return;
  m_strConfirmedOutput = *path;
  m_editOutput->ChangeValue(wxString::FromUTF8(*path));
}

void CSelectionDlg::OnStart() {
  if (m_run) return;
  const auto refuse = [this](const std::string& text) {
    ShowMessageBox(*this, wxString::FromUTF8(ReadableUtf8(text)), wxOK | wxICON_EXCLAMATION);
  };
  Selection selection;
  std::string refused;
  if (!ReadSelection(selection, refused)) return refuse(refused);
  if (m_strSourcePath.empty()) return refuse("Choose the source catalog in the main window first.");
  const std::string output = m_editOutput->GetValue().utf8_string();
  if (output.empty()) return refuse("Name the new catalog with the \"...\" button beside File name first.");
  // One question about the file that will be written.
  if (output != m_strConfirmedOutput && !MayReplace(*this, output)) return;
  m_strConfirmedOutput = output;
  if (m_count) {
    m_count->Cancel();
    EndCount();
    m_bChanged = true;  // counted again after the run
  }
  m_run = std::make_unique<Run>(m_window, m_strWorkDir);
  m_run->catalog.m_strSourcePath = m_strSourcePath;
  m_run->catalog.m_strOutputPath = output;
  m_run->selection = selection;
  EnableInput(false);
  m_gauge->SetValue(0);
  ShowPreview("Writing " + output + " ...");
  m_run->job = std::make_unique<SelectionJob>(
      [catalog = &m_run->catalog, selection](SelectionProgress* progress, const std::atomic<bool>* cancel) {
        return RunSelection(*catalog, selection, progress, cancel);
      });
}

void CSelectionDlg::EndRun() {
  const SelectionOutcome outcome = m_run->job->Outcome();
  m_run->rows.ShowOn(m_window);
  const std::string output = m_run->catalog.m_strOutputPath;
  const Selection selection = m_run->selection;
  m_run.reset();
  EnableInput(true);
  FindWindow(IDC_SELECT_START)->SetFocus();
  m_bChanged = false;  // the counts of the run stand until the next change
  switch (outcome.result) {
    case SelectionOutcome::Result::kDone:
      m_gauge->SetValue(kGaugeRange);
      ShowPreview(RunText(outcome.counts, output) + "\n" + PreviewText(selection, outcome.counts));
      // The catalog was written, but the history could not take the run.
      if (!outcome.recorded) {
        ShowMessageBox(*this, wxString::FromUTF8(ReadableUtf8(outcome.message)), wxOK | wxICON_EXCLAMATION);
      }
      break;
    case SelectionOutcome::Result::kCancelled:
      m_gauge->SetValue(0);
      ShowPreview("Cancelled: no catalog was written, nothing was recorded.");
      break;
    case SelectionOutcome::Result::kFailed:
      m_gauge->SetValue(0);
      ShowPreview(outcome.message);
      ShowMessageBox(*this, wxString::FromUTF8(ReadableUtf8(outcome.message)), wxOK | wxICON_EXCLAMATION);
      break;
  }
}

void CSelectionDlg::ShowPreview(const std::string& text) {
  const wxString shown = wxString::FromUTF8(ReadableUtf8(text));
  if (m_preview->GetValue() != shown) m_preview->ChangeValue(shown);
}

void CSelectionDlg::ShowLinesRead(std::int64_t lines) {
  if (m_nSourceLines <= 0) {
    m_gauge->Pulse();
    return;
  }
  const std::int64_t done = std::min<std::int64_t>(lines * kGaugeRange / m_nSourceLines, kGaugeRange);
  if (m_gauge->GetValue() != static_cast<int>(done)) m_gauge->SetValue(static_cast<int>(done));
}

void CSelectionDlg::EnableInput(bool enable) {
  for (wxWindow* control : GetChildren()) {
    if (control != m_closeButton && control != m_preview && control != m_gauge) control->Enable(enable);
  }
  m_closeButton->SetLabel(enable ? "Close" : "Cancel");
}

}  // namespace orbivane
