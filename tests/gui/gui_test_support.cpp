#include "gui_test_support.h"

#include "resource_ids.h"

#include <unistd.h>

#include <climits>
#include <stdexcept>

#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

GTestModalHook::GTestModalHook(const char* file, int line, const char*) : file_(file), line_(line) {
  Register();
}

GTestModalHook::~GTestModalHook() { Unregister(); }

void GTestModalHook::AddExpectation(const wxModalExpectation& expectation) {
  expectations_.push_back(&expectation);
}

void GTestModalHook::CheckUnmetExpectations() {
  for (; next_ < expectations_.size(); ++next_) {
    if (expectations_[next_]->IsOptional()) continue;
    ADD_FAILURE_AT(file_, line_) << "Expected " << expectations_[next_]->GetDescription().utf8_string()
                                 << " was not shown.";
    break;
  }
}

int GTestModalHook::Enter(wxDialog* dialog) {
  const std::string title = dialog->GetTitle().utf8_string();
  std::string what = "a dialog titled \"" + title + "\"";
  if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) what = "a message box \"" + box->GetMessage().utf8_string() + "\"";
  while (next_ < expectations_.size()) {
    const wxModalExpectation* expectation = expectations_[next_++];
    const int answer = expectation->Invoke(dialog);
    if (answer != wxID_NONE) return answer;
    if (!expectation->IsOptional()) {
      ADD_FAILURE_AT(file_, line_) << "Expected " << expectation->GetDescription().utf8_string() << ", got "
                                   << what;
      return wxID_CANCEL;
    }
  }
  ADD_FAILURE_AT(file_, line_) << "Unexpected " << what;
  return wxID_CANCEL;
}

namespace orbivane::testing {

ExpectDialog<wxMessageDialog> ExpectMessage(std::vector<ShownMessage>& seen, int answer) {
  return ExpectDialog<wxMessageDialog>([&seen, answer](wxMessageDialog* box) {
    seen.push_back({box->GetMessage().utf8_string(), box->GetCaption().utf8_string(), box->GetMessageDialogStyle()});
    return answer;
  });
}

ExpectDialog<wxFileDialog> ExpectFile(ShownFileDialog& seen, const std::string& path) {
  return ExpectDialog<wxFileDialog>([&seen, path](wxFileDialog* dialog) {
    seen = {dialog->GetDirectory().utf8_string(), dialog->GetFilename().utf8_string(),
            dialog->GetWildcard().utf8_string(), dialog->GetWindowStyle()};
    if (path.empty()) return static_cast<int>(wxID_CANCEL);
    dialog->SetPath(wxString::FromUTF8(path));
    return static_cast<int>(wxID_OK);
  });
}

void Click(wxWindow* dialog, int id) {
  wxWindow* button = dialog->FindWindow(id);
  ASSERT_NE(button, nullptr) << "no control with id " << id;
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

void SendCommand(wxWindow& dialog, int id) {
  wxCommandEvent command(wxEVT_BUTTON, id);
  command.SetEventObject(&dialog);
  dialog.GetEventHandler()->ProcessEvent(command);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& path) {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) throw std::runtime_error("getcwd failed");
  previous_ = buffer;
  if (::chdir(path.c_str()) != 0) throw std::runtime_error("cannot enter " + path);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() { (void)::chdir(previous_.c_str()); }

MainWindowTest::MainWindowTest() : cwd_(std::make_unique<ScopedCurrentDirectory>(folder_.path())) {}

MainWindowTest::~MainWindowTest() {
  delete window_;
  cwd_.reset();
}

CCatalogDlg& MainWindowTest::Window() {
  if (window_ == nullptr) {
    window_ = new CCatalogDlg();
    window_->Show();  // which initialises it: the history is loaded
  }
  return *window_;
}

std::vector<std::vector<std::string>> MainWindowTest::Rows() {
  auto* list = dynamic_cast<wxListCtrl*>(Window().FindWindow(IDC_HISTORY));
  std::vector<std::vector<std::string>> rows;
  if (list == nullptr) return rows;
  for (long row = 0; row < list->GetItemCount(); ++row) {
    std::vector<std::string> cells;
    for (int column = 0; column < 4; ++column) cells.push_back(list->GetItemText(row, column).utf8_string());
    rows.push_back(cells);
  }
  return rows;
}

std::string MainWindowTest::TextOf(int id) {
  wxWindow* control = Window().FindWindow(id);
  if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) return edit->GetValue().utf8_string();
  if (auto* label = dynamic_cast<wxStaticText*>(control)) return label->GetLabelText().utf8_string();
  return "<no text control " + std::to_string(id) + ">";
}

void MainWindowTest::SetFilter(const std::string& text) {
  auto* edit = dynamic_cast<wxTextCtrl*>(Window().FindWindow(IDC_FILTER));
  ASSERT_NE(edit, nullptr);
  edit->ChangeValue(wxString::FromUTF8(text));
}

void MainWindowTest::ChooseSource(const std::string& path) {
  ShownFileDialog shown;
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_SOURCE), ExpectFile(shown, path));
}

void MainWindowTest::ChooseOutput(const std::string& path) {
  ShownFileDialog shown;
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_OUTPUT), ExpectFile(shown, path));
}

}  // namespace orbivane::testing
