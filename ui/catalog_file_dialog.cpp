#include "catalog_file_dialog.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "file_presets.h"
#include "message_box.h"
#include "os_file.h"

namespace orbivane {

namespace {

constexpr const char* kOutputWildcard = "Skyloom Catalogs (*.slc)|*.slc|All Files (*.*)|" ORBIVANE_ALL_FILES;
constexpr const char* kOutputExtension = "slc";

}  // namespace

std::string ChosenPath(const wxFileDialog& dialog) {
  wxString path = dialog.GetPath();
  if (path.empty()) path = dialog.wxFileDialogBase::GetPath();
  return path.utf8_string();
}

std::optional<std::string> ChooseNewCatalog(wxWindow& owner, const std::string& preset) {
  const wxFileName start(wxString::FromUTF8(WithDefaultExtension(preset, kOutputExtension)));
  // The dialog itself does not ask about replacing a file: it would ask
  // about the name typed, before the extension is added.
  wxFileDialog dialog(&owner, "Save As", start.GetPath(), start.GetFullName(), kOutputWildcard, wxFD_SAVE);
  if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
  const std::string path = WithDefaultExtension(ChosenPath(dialog), kOutputExtension);
  if (!MayReplace(owner, path)) return std::nullopt;
  return path;
}

bool MayReplace(wxWindow& owner, const std::string& path) {
  FileInfo written;
  StatPath(path, written);
  if (!written.exists) return true;
  return ShowMessageBox(owner, wxString::FromUTF8(path) + " already exists.\nDo you want to replace it?",
                        wxYES_NO | wxICON_EXCLAMATION) == wxYES;
}

}  // namespace orbivane
