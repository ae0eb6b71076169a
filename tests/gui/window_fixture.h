// The real main window on a virtual display, started in a scratch folder, and the means to answer its modal
// dialogs, press its buttons and send its commands: what the window's tests share.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#ifdef __WXMSW__
#include <windows.h>
#endif

#include "catalog_dlg.h"
#include "resource_ids.h"
#include "test_files.h"

// Failures go to GoogleTest, and a dialog nobody expected is answered with
// Cancel so that it never waits for a user.
struct GTestModalHook : wxTestingModalHook {
  using wxTestingModalHook::wxTestingModalHook;
  int Enter(wxDialog* dialog) override {
    const int answer = wxTestingModalHook::Enter(dialog);
    return answer == wxID_NONE ? wxID_CANCEL : answer;
  }
  void ReportFailure(const wxString& message) override { ADD_FAILURE() << message.utf8_string(); }
};
#undef wxTEST_DIALOG_HOOK_CLASS
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook

namespace orbivane::testing {

using Lines = std::vector<std::string>;

// Answers a modal dialog of type T with what `act` returns.
template <class T>
struct Expect : wxExpectModalBase<T, Expect<T>> {
  explicit Expect(std::function<int(T*)> function) : act(std::move(function)) {}
  int OnInvoked(T* dialog) const override { return act(dialog); }
  std::function<int(T*)> act;
};

// Every message box, during a run or not, is centred on the window it belongs to (the main window unless said).
template <class Owner = CCatalogDlg>
void ExpectCentredOnTheWindow(wxMessageDialog* box) {
  EXPECT_TRUE(dynamic_cast<Owner*>(box->GetParent()) && (box->GetMessageDialogStyle() & wxCENTRE) != 0)
      << box->GetMessage().utf8_string();
}

// Keeps "caption: text" of a message box and answers it.
template <class Owner = CCatalogDlg>
Expect<wxMessageDialog> Message(Lines& seen, int answer = wxID_OK) {
  return Expect<wxMessageDialog>([&seen, answer](wxMessageDialog* box) {
    ExpectCentredOnTheWindow<Owner>(box);
    seen.push_back(box->GetCaption().utf8_string() + ": " + box->GetMessage().utf8_string());
    return answer;
  });
}

// Keeps the preset path of a file dialog; answers OK with `path`, or Cancel when it is empty.
inline Expect<wxFileDialog> File(const std::string& path, std::string* preset = nullptr) {
  return Expect<wxFileDialog>([path, preset](wxFileDialog* dialog) {
    if (preset != nullptr) *preset = (dialog->GetDirectory() + kSeparator + dialog->GetFilename()).utf8_string();
    dialog->SetPath(wxString::FromUTF8(path));
    return path.empty() ? wxID_CANCEL : wxID_OK;
  });
}

// A button press, or with wxEVT_MENU a menu command or key.
inline void Send(wxWindow* dialog, int id, wxEventType type = wxEVT_BUTTON) {
  wxCommandEvent event(type, id);
  dialog->ProcessWindowEvent(event);
}

inline Lines g_opened;  // the addresses handed to the browser

// The command the window's accelerator table gives F1, or Ctrl with `letter`.
inline int KeyCommand(wxWindow& window, char letter = 0) {
#ifdef __WXMSW__
  ACCEL entries[16];
  const int n = CopyAcceleratorTableW(static_cast<HACCEL>(window.GetAcceleratorTable()->GetHACCEL()), entries, 16);
  const BYTE flags = letter != 0 ? FVIRTKEY | FCONTROL : FVIRTKEY;
  for (int i = 0; i < n; ++i) {
    if (entries[i].key == (letter != 0 ? letter : VK_F1) && entries[i].fVirt == flags) return entries[i].cmd;
  }
  return wxID_NONE;
#else
  wxKeyEvent key(wxEVT_KEY_DOWN);
  key.m_keyCode = letter != 0 ? int{letter} : int{WXK_F1};
  key.m_controlDown = letter != 0;
  return window.GetAcceleratorTable()->GetCommand(key);
#endif
}

// Lets the window's events run until `done` holds; false after 20 s.
inline bool RunUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxTheApp->Yield(true);
#ifdef __WXMSW__
    // Outside a modal loop, WM_TIMER reaches the toolkit's timers only through a dispatch of its own.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
#endif
    wxMilliSleep(5);
  }
  return true;
}

// A main window started in a scratch folder (the folder of its `history`).
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    g_opened.clear();
    window_.Show();  // which loads the history
  }

  std::string Path(const std::string& name) const { return folder_ / name; }
  std::string Text(int id) {
    wxWindow* control = window_.FindWindow(id);
    if (auto* label = dynamic_cast<wxStaticText*>(control)) return label->GetLabelText().utf8_string();
    return dynamic_cast<wxTextCtrl*>(control)->GetValue().utf8_string();
  }
  void Click(int id) { Send(&window_, id); }
  // The history list, newest on top: "date | catalog | filter | number".
  Lines Rows() {
    auto* list = dynamic_cast<wxListCtrl*>(window_.FindWindow(IDC_HISTORY));
    Lines rows(list->GetItemCount());
    for (long row = 0; row < list->GetItemCount(); ++row) {
      rows[row] = list->GetItemText(row, 0).empty() ? "" : "date";
      for (int column = 1; column < 4; ++column) rows[row] += " | " + list->GetItemText(row, column).utf8_string();
    }
    return rows;
  }
  // Types the filter and, when given, chooses the output.
  void Prepare(const std::string& filter, const std::string& output = "") {
    dynamic_cast<wxTextCtrl*>(window_.FindWindow(IDC_FILTER))->ChangeValue(filter);
    if (!output.empty()) wxTEST_DIALOG(Click(IDC_BROWSE_OUTPUT), File(Path(output)));
  }

  // The folder is left before it goes: Windows deletes no folder that is a program's current one.
  ~WindowTest() override { wxSetWorkingDirectory(started_); }

  ScratchDir folder_;
  const wxString started_ = wxGetCwd();
  const bool inFolder_ = wxSetWorkingDirectory(wxString::FromUTF8(folder_.path()));
  // Any dialog shown outside wxTEST_DIALOG fails the test.
  GTestModalHook unexpected_;
  CCatalogDlg window_;
};

}  // namespace orbivane::testing
