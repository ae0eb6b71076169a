#include "refresh_dlg.h"

#include <algorithm>
#include <ctime>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include "file_presets.h"
#include "readable_text.h"
#include "resource_ids.h"
#include "source_age.h"

namespace orbivane {

namespace {

constexpr int kRefreshMs = 100;

wxString Shown(const std::string& text) { return wxString::FromUTF8(ReadableUtf8(text)); }

std::vector<RefreshCatalog> HistoryCatalogs(const std::string& workDir) {
  std::vector<HistoryRecord> records;
  (void)ReadHistoryFile(HistoryPath(workDir), records);  // an unreadable history names no catalog
  return CatalogsOfHistory(records);
}

}  // namespace

CRefreshDlg::CRefreshDlg(wxWindow* parent, const CCatalog& main, WindowServices& window, const std::string& url)
    : CPatternDlg(IDD_REFRESH, parent, "Refresh all catalogs", wxSize(360, 214), false),
      m_strSource(main.m_strSourcePath),
      m_strWorkDir(main.m_strWorkDir),
      m_strUrl(url),
      m_window(window),
      m_catalogs(HistoryCatalogs(main.m_strWorkDir)),
      m_timer(this) {
  CreateControls();
  static_cast<wxStaticText*>(FindWindow(IDC_REFRESH_SOURCE))->SetLabelText(Shown(m_strSource));
  auto* age = static_cast<wxStaticText*>(FindWindow(IDC_REFRESH_AGE));
  age->SetLabelText(Shown(main.m_strSourcePath.empty() ? "No source chosen: download the newest astorb.dat.gz first."
                                                       : SourceAgeText(main, "")));
  age->Wrap(age->GetSize().x);
  m_downloadBox->SetValue(m_strSource.empty() || EpochIsStale(main.m_epochs, std::time(nullptr)));
  for (std::size_t i = 0; i < m_catalogs.size(); ++i) {
    const RefreshCatalog& catalog = m_catalogs[i];
    const long row = m_list->InsertItem(static_cast<long>(i), Shown(catalog.path));
    m_list->SetItem(row, 1, Shown(catalog.filter));
    m_list->SetItem(row, 2, Shown(catalog.recordsBefore));
    if (catalog.missing) {
      RefreshOutcome skipped;
      skipped.result = RefreshResult::kSkipped;
      ShowRow(i, skipped);
    }
  }
  const std::size_t compiled = m_catalogs.size() - static_cast<std::size_t>(std::count_if(
      m_catalogs.begin(), m_catalogs.end(), [](const RefreshCatalog& c) { return c.missing; }));
  ShowStatus(std::to_string(compiled) + " of " + std::to_string(m_catalogs.size()) +
             " catalogs of the history to compile again.");
  FindWindow(IDC_REFRESH_START)->Enable(compiled > 0);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnStart(); }, IDC_REFRESH_START);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClose(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnClose(); });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); });
}

CRefreshDlg::~CRefreshDlg() {
  m_timer.Stop();
  m_job.reset();
}

void CRefreshDlg::OnStart() {
  if (m_job) return;
  RefreshPlan plan;
  plan.catalogs = m_catalogs;
  plan.workDir = m_strWorkDir;
  plan.download = m_downloadBox->GetValue();
  plan.source = plan.download ? DownloadPresetName(m_strSource, m_strWorkDir) : m_strSource;
  plan.options.url = m_strUrl;
  plan.options.target = plan.source;
  m_strSource = plan.source;
  for (std::size_t i = 0; i < m_catalogs.size(); ++i) {
    if (!m_catalogs[i].missing) ShowRow(i, RefreshOutcome{});
  }
  m_downloadBox->Enable(false);
  FindWindow(IDC_REFRESH_START)->Enable(false);
  m_closeButton->SetLabel("Cancel");
  m_gauge->SetValue(0);
  ShowStatus(plan.download ? "Downloading " + m_strUrl + " ..." : "Compiling ...");
  m_job = std::make_unique<RefreshJob>(std::move(plan), [this] { return m_window.CurrentTime(); });
  m_timer.Start(kRefreshMs);
}

void CRefreshDlg::OnTimer() {
  if (!m_job) return;
  if (m_job->IsDone()) {
    EndRun();
    return;
  }
  const RefreshJob::Progress progress = m_job->Now();
  for (std::size_t i = 0; i < progress.outcomes.size(); ++i) {
    if (progress.outcomes[i].result != RefreshResult::kWaiting) ShowRow(i, progress.outcomes[i]);
  }
  if (progress.downloading) {
    const DownloadProgress& d = progress.download;
    if (d.total > 0) m_gauge->SetValue(static_cast<int>(d.bytes * kGaugeRange / d.total));
    ShowStatus("Downloading " + ProgressText(d));
  } else if (progress.upTo > 0) {
    m_gauge->SetValue(static_cast<int>(std::min(progress.read, progress.upTo) * kGaugeRange / progress.upTo));
    ShowStatus("Compiling: " + std::to_string(progress.read) + " of " + std::to_string(progress.upTo) + " lines");
  } else {
    m_gauge->Pulse();
    ShowStatus("Compiling: " + std::to_string(progress.read) + " lines");
  }
}

void CRefreshDlg::EndRun() {
  m_timer.Stop();
  const RefreshJob::Progress progress = m_job->Now();
  m_job->Rows().ShowOn(m_window);
  m_result = m_job->Download();
  m_downloaded = m_result.outcome == DownloadOutcome::kDownloaded;
  m_job.reset();
  int compiled = 0, kept = 0;
  for (std::size_t i = 0; i < progress.outcomes.size(); ++i) {
    const RefreshOutcome& outcome = progress.outcomes[i];
    if (outcome.result != RefreshResult::kWaiting) ShowRow(i, outcome);
    compiled += outcome.result == RefreshResult::kCompiled;
    kept += outcome.result == RefreshResult::kFailed || outcome.result == RefreshResult::kCancelled;
  }
  m_gauge->SetValue(kGaugeRange);
  m_closeButton->SetLabel("Close");
  m_downloadBox->Enable(true);
  FindWindow(IDC_REFRESH_START)->Enable(true);
  const bool fetched = m_result.outcome == DownloadOutcome::kDownloaded ||
                       m_result.outcome == DownloadOutcome::kUnchanged;
  if (m_result.outcome == DownloadOutcome::kCancelled) {
    ShowStatus("Cancelled during the download: nothing was compiled.");
  } else if (!m_result.message.empty() && !fetched) {
    ShowStatus(m_result.message + ": nothing was compiled.");
  } else {
    ShowStatus((m_result.message.empty() ? "" : m_result.message + ". ") + std::to_string(compiled) +
               " compiled, " + std::to_string(kept) + " kept as they were.");
  }
}

void CRefreshDlg::OnClose() {
  if (m_job) {
    m_job->Cancel();
    return;
  }
  m_timer.Stop();
  if (IsModal()) EndModal(wxID_CANCEL);
}

void CRefreshDlg::ShowRow(std::size_t index, const RefreshOutcome& outcome) {
  const long row = static_cast<long>(index);
  const wxString after = outcome.result == RefreshResult::kCompiled ? wxString() << outcome.records : wxString();
  if (m_list->GetItemText(row, 3) != after) m_list->SetItem(row, 3, after);
  const wxString result = Shown(ResultText(outcome));
  if (m_list->GetItemText(row, 4) != result) m_list->SetItem(row, 4, result);
}

void CRefreshDlg::ShowStatus(const std::string& text) {
  auto* status = static_cast<wxStaticText*>(FindWindow(IDC_REFRESH_STATUS));
  if (status->GetLabelText() != Shown(text)) status->SetLabelText(Shown(text));
}

void CRefreshDlg::CreateControls() {
  AddLabel("Source :", DluRect(7, 8, 34, 8), wxALIGN_LEFT, LabelGrowth::kLeftward);
  AddStaticField(IDC_REFRESH_SOURCE, DluRect(43, 6, 310, 12), wxALIGN_LEFT | wxST_ELLIPSIZE_START);
  AddLabel("", DluRect(7, 22, 346, 18), wxALIGN_LEFT)->SetId(IDC_REFRESH_AGE);
  const wxRect downloadRect = DluRect(7, 42, 346, 10);
  m_downloadBox = new wxCheckBox(this, IDC_REFRESH_DOWNLOAD, "&Download the newest astorb.dat.gz first",
                              downloadRect.GetPosition(), downloadRect.GetSize());
  const wxRect listRect = DluRect(7, 56, 346, 112);
  m_list = new wxListCtrl(this, IDC_REFRESH_LIST, listRect.GetPosition(), listRect.GetSize(),
                          wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
  const struct { const char* heading; int width; } kColumns[] = {
      {"Catalog", 120}, {"Selection", 90}, {"Before", 34}, {"After", 34}, {"Result", 160}};
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    m_list->InsertColumn(i, kColumns[i].heading, wxLIST_FORMAT_LEFT, DluRect(0, 0, kColumns[i].width, 1).width);
  }
  AddLabel("", DluRect(7, 174, 346, 18), wxALIGN_LEFT)->SetId(IDC_REFRESH_STATUS);
  const wxRect gaugeRect = DluRect(7, 197, 234, 9);
  m_gauge = new wxGauge(this, IDC_REFRESH_GAUGE, kGaugeRange, gaugeRect.GetPosition(), gaugeRect.GetSize(),
                        wxGA_HORIZONTAL | wxGA_SMOOTH);
  const wxRect startRect = DluRect(247, 194, 50, 14);
  auto* start = new wxButton(this, IDC_REFRESH_START, "&Start", startRect.GetPosition(), startRect.GetSize());
  start->SetDefault();
  const wxRect closeRect = DluRect(303, 194, 50, 14);
  m_closeButton = new wxButton(this, wxID_CANCEL, "Close", closeRect.GetPosition(), closeRect.GetSize());
}

}  // namespace orbivane
