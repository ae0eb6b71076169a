// The file choices of the main window: the two "..." buttons, choosing the
// source (and counting its lines) and naming the new catalog, and the
// download of the newest ASTORB (or MPCORB) into a file the user names.
#include <wx/filedlg.h>
#include <wx/filename.h>

#include "catalog_dlg.h"
#include "catalog_file_dialog.h"
#include "download_dlg.h"
#include "file_presets.h"
#include "resource_ids.h"

namespace orbivane {

namespace {

// ASTORB as Lowell distributes it (astorb.dat.gz) and decompressed; wx hands
// the ";"-separated list to GTK as one filter of two patterns.
constexpr const char* kSourceWildcard =
    "Source Catalogs (*.dat;*.dat.gz)|*.dat;*.dat.gz|All Files (*.*)|" ORBIVANE_ALL_FILES;
// The file type chosen in the download's Save As says which catalog to fetch:
// ASTORB (the first, so the default) or MPCORB.
constexpr const char* kDownloadWildcard =
    "Compressed ASTORB (*.dat.gz)|*.dat.gz|Compressed MPCORB (MPCORB.DAT.gz)|*.DAT.gz|All Files (*.*)|"
    ORBIVANE_ALL_FILES;
constexpr int kMpcorbFileType = 1;

}  // namespace

void CCatalogDlg::OnBrowseSource() {
  const FocusKeeper keep(*this, FindWindow(IDC_BROWSE_SOURCE));
  PullTexts();  // keeps the filter typed so far
  const wxFileName preset(wxString::FromUTF8(SourcePresetName(m_catalog.m_strWorkDir)));
  wxFileDialog dialog(this, "Open", preset.GetPath(), preset.GetFullName(), kSourceWildcard, wxFD_OPEN);
  if (dialog.ShowModal() == wxID_CANCEL) return;
  m_catalog.m_strSourcePath = ChosenPath(dialog);
  PushTexts();
  // A source that cannot be opened shows the Total 0 without a word (Start
  // then says why). A failure after opening, such as damaged compressed
  // data, is shown at once, beside the count it reached.
  Status counted = Status::Ok();
  RunBusy([this, &counted] { counted = m_catalog.CountSourceRecords(); });
  ShowSourceAge();
  if (!counted && counted.message().rfind("Cannot open ", 0) != 0) ShowMessage(counted.message());
}

void CCatalogDlg::OnBrowseOutput() {
  const FocusKeeper keep(*this, FindWindow(IDC_BROWSE_OUTPUT));
  PullTexts();
  const std::optional<std::string> path =
      ChooseNewCatalog(*this, OutputPresetName(m_catalog.m_strWorkDir, CurrentTime()));
  if (!path) return;
  m_catalog.m_strOutputPath = *path;
  PushTexts();
}

void CCatalogDlg::OnDownloadAstorb() {
  const FocusKeeper keep(*this);
  PullTexts();
  const wxFileName preset(
      wxString::FromUTF8(DownloadPresetName(m_catalog.m_strSourcePath, m_catalog.m_strWorkDir)));
  // No question about replacing a file: only a complete, checked download
  // replaces it, and the earlier one stays until then.
  wxFileDialog dialog(this, "Save As", preset.GetPath(), preset.GetFullName(), kDownloadWildcard, wxFD_SAVE);
  if (dialog.ShowModal() == wxID_CANCEL) return;
  DownloadOptions options;
  options.url = m_strDownloadUrl;
  options.target = ChosenPath(dialog);
  if (dialog.GetFilterIndex() == kMpcorbFileType) {
    options.url = m_strMpcorbDownloadUrl;
    options.target = MpcorbDownloadName(options.target);
    options.fileKind = "MPCORB file";
  }
  CDownloadDlg download(this, options);
  download.ShowModal();
  const DownloadResult& result = download.Result();
  if (result.outcome == DownloadOutcome::kCancelled) return;
  if (result.outcome != DownloadOutcome::kDownloaded) ShowMessage(result.message);
  if (result.outcome == DownloadOutcome::kFailed) return;
  // The newest file becomes the source. The download's check counted its
  // lines; a file that was already the newest is counted as a chosen one is.
  m_catalog.m_strSourcePath = options.target;
  PushTexts();
  if (result.outcome == DownloadOutcome::kDownloaded) {
    m_catalog.SetTotal(result.lines);
    m_catalog.m_epochs = result.epochs;
    m_catalog.m_sourceModified = ModifiedTime(options.target);
  } else {
    RunBusy([this] { (void)m_catalog.CountSourceRecords(); });
  }
  ShowSourceAge();
}

}  // namespace orbivane
