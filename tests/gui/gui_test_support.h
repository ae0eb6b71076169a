// What the window's tests share: modal-dialog answers that report to
// GoogleTest, button presses, and a main window in a scratch folder.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

// An unexpected or missing modal dialog fails the running test; an
// unexpected one is answered with Cancel so that it never waits for a user.
class GTestModalHook : public wxModalDialogHook {
 public:
  GTestModalHook(const char* file, int line, const char* func);
  ~GTestModalHook() override;
  void AddExpectation(const class wxModalExpectation& expectation);
  void CheckUnmetExpectations();

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}

 private:
  const char* file_;
  int line_;
  std::vector<const wxModalExpectation*> expectations_;
  std::size_t next_ = 0;
};
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

#include "catalog_dlg.h"
#include "test_files.h"

namespace orbivane::testing {

// Answers a modal dialog of type T with what `act` returns.
template <class T>
class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>> {
 public:
  explicit ExpectDialog(std::function<int(T*)> act) : act_(std::move(act)) {}

 protected:
  int OnInvoked(T* dialog) const override { return act_(dialog); }

 private:
  std::function<int(T*)> act_;
};

// A message box as it was shown.
struct ShownMessage {
  std::string text;
  std::string caption;
  long style = 0;
};

// Answers a message box with `answer`, keeping what it showed in `seen`.
ExpectDialog<wxMessageDialog> ExpectMessage(std::vector<ShownMessage>& seen, int answer = wxID_OK);

// What a file dialog was opened with.
struct ShownFileDialog {
  std::string directory;
  std::string fileName;
  std::string wildcard;
  long style = 0;
};

// Answers a file dialog with OK and `path` (or with Cancel when `path` is
// empty), keeping how it was opened in `seen`.
ExpectDialog<wxFileDialog> ExpectFile(ShownFileDialog& seen, const std::string& path);

// Sends the click of a button of `dialog`, as a press of it would.
void Click(wxWindow* dialog, int id);

// Sends a button command to the dialog itself, as Escape (wxID_CANCEL) does.
void SendCommand(wxWindow& dialog, int id);

// The current directory moved to a folder for the object's life.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::string& path);
  ~ScopedCurrentDirectory();

 private:
  std::string previous_;
};

// A main window started in a fresh scratch folder (the folder of its
// `history`), shown, with its history loaded.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest();
  ~MainWindowTest() override;

  // Creates the window; a test may first put files into the folder.
  CCatalogDlg& Window();
  std::string Path(const std::string& name) const { return folder_ / name; }

  // The history list, row 0 on top, four cells a row.
  std::vector<std::vector<std::string>> Rows();
  std::string TextOf(int id);
  void SetFilter(const std::string& text);
  // Chooses the source and the output through their file dialogs.
  void ChooseSource(const std::string& path);
  void ChooseOutput(const std::string& path);

  ScratchDir folder_;

 private:
  std::unique_ptr<ScopedCurrentDirectory> cwd_;
  CCatalogDlg* window_ = nullptr;
};

}  // namespace orbivane::testing
