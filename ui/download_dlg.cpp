#include "download_dlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "resource_ids.h"

namespace orbivane {

namespace {

constexpr int kGaugeRange = 1000;
constexpr int kRefreshMs = 100;

}  // namespace

CDownloadDlg::CDownloadDlg(wxWindow* parent, const DownloadOptions& options)
    : CPatternDlg(IDD_DOWNLOAD, parent, "Download the newest astorb.dat.gz", wxSize(260, 62), false),
      m_timer(this) {
  // A long address is shortened in its middle rather than cut off.
  const wxRect addressRect = DluRect(7, 7, 246, 8);
  new wxStaticText(this, IDC_DOWNLOAD_ADDRESS, wxString::FromUTF8(options.url), addressRect.GetPosition(),
                   addressRect.GetSize(), wxALIGN_LEFT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
  const wxRect gaugeRect = DluRect(7, 20, 246, 10);
  m_gauge = new wxGauge(this, IDC_DOWNLOAD_GAUGE, kGaugeRange, gaugeRect.GetPosition(), gaugeRect.GetSize(),
                        wxGA_HORIZONTAL | wxGA_SMOOTH);
  auto* status = AddLabel(wxEmptyString, DluRect(7, 36, 190, 8), wxALIGN_LEFT);
  status->SetId(IDC_DOWNLOAD_STATUS);
  const wxRect cancelRect = DluRect(203, 41, 50, 14);
  m_cancelButton = new wxButton(this, wxID_CANCEL, "Cancel", cancelRect.GetPosition(), cancelRect.GetSize());
  m_cancelButton->SetDefault();
  m_cancelButton->SetFocus();

  // Cancel, Escape and the close box ask the download to stop; the dialog
  // ends only when it has, so that the part file is complete on disk.
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ShowProgress(); });
  m_timer.Start(kRefreshMs);
  m_worker = std::thread([this, options] {
    const auto transport = MakeHttpTransport();
    m_result = DownloadAstorb(options, *transport, this, &m_bCancel);
    m_bDone = true;
  });
}

CDownloadDlg::~CDownloadDlg() {
  m_bCancel = true;
  if (m_worker.joinable()) m_worker.join();
}

void CDownloadDlg::OnCancel() {
  m_bCancel = true;
  m_cancelButton->Disable();
}

const DownloadResult& CDownloadDlg::Result() {
  if (m_worker.joinable()) m_worker.join();
  return m_result;
}

void CDownloadDlg::OnProgress(const DownloadProgress& progress) {
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_progress = progress;
}

void CDownloadDlg::ShowProgress() {
  DownloadProgress progress;
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    progress = m_progress;
  }
  if (progress.total > 0) {
    const double done = static_cast<double>(progress.bytes) / static_cast<double>(progress.total);
    m_gauge->SetValue(std::min(static_cast<int>(done * kGaugeRange), kGaugeRange));
  } else {
    m_gauge->Pulse();  // a size the server did not announce
  }
  wxWindow* status = FindWindow(IDC_DOWNLOAD_STATUS);
  const wxString text = wxString::FromUTF8(ProgressText(progress));
  if (status->GetLabel() != text) status->SetLabel(text);
  if (!m_bDone) return;
  m_timer.Stop();
  if (IsModal()) EndModal(wxID_OK);
}

}  // namespace orbivane
