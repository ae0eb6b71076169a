// The message boxes as the system shows them (Windows): no test hook answers them. A timer finds each box on
// the screen while it waits, reads where it stands and answers it; only the file dialogs are answered by a hook.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/msw/private.h>
#include <wx/timer.h>

#include "catalog_dlg.h"
#include "resource_ids.h"
#include "test_files.h"

namespace orbivane::testing {
namespace {

wxRect RectOf(const RECT& rect) { return wxRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); }

wxRect WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return RectOf(rect);
}

std::string Describe(const wxRect& rect) {
  return wxString::Format("%dx%d at %d,%d", rect.width, rect.height, rect.x, rect.y).utf8_string();
}

// A box on the screen, its owner and the work area of the owner's screen, in screen pixels.
struct ShownBox {
  wxRect box;
  wxRect owner;
  wxRect work;
  HWND ownerHandle = nullptr;
};

// A message box of this thread: a task dialog or a MessageBox, both of the system's dialog class, which the
// toolkit's own dialogs have too.
HWND FindBox() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[8] = {};
        if (!IsWindowVisible(window) || GetClassNameW(window, name, 8) == 0 || std::wstring(name) != L"#32770" ||
            wxFindWinFromHandle(window) != nullptr) {
          return TRUE;
        }
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// While it runs, answers every box shown with the button `answer` (IDOK, IDYES, IDNO), keeping where each stood.
class BoxAnswerer : public wxTimer {
 public:
  explicit BoxAnswerer(int answer) : answer_(answer) { Start(20); }
  void Notify() override {
    const HWND box = FindBox();
    if (box == nullptr) return;
    const HWND owner = GetWindow(box, GW_OWNER);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    boxes.push_back({WindowRect(box), WindowRect(owner), RectOf(monitor.rcWork), owner});
    HWND button = GetDlgItem(box, answer_);
    if (button == nullptr && answer_ == IDOK) button = GetDlgItem(box, IDCANCEL);  // a task dialog's lone OK
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }

  std::vector<ShownBox> boxes;

 private:
  const int answer_;
};

// Answers each file dialog with `path` and lets every other dialog show itself.
class FileDialogAnswer : public wxModalDialogHook {
 public:
  FileDialogAnswer() { Register(); }
  int Enter(wxDialog* dialog) override {
    auto* file = dynamic_cast<wxFileDialog*>(dialog);
    if (file == nullptr) return wxID_NONE;
    file->SetPath(wxString::FromUTF8(path));
    return wxID_OK;
  }

  std::string path;
};

// Where a box centred on `owner` stands: pushed inside the work area where it would reach past it.
wxPoint CentredIn(const wxRect& owner, const wxRect& work, const wxSize& box) {
  const int x = owner.x + (owner.width - box.x) / 2;
  const int y = owner.y + (owner.height - box.y) / 2;
  return wxPoint(std::clamp(x, work.x, std::max(work.x, work.GetRight() + 1 - box.x)),
                 std::clamp(y, work.y, std::max(work.y, work.GetBottom() + 1 - box.y)));
}

class MessageBoxTest : public ::testing::Test {
 protected:
  ~MessageBoxTest() override { wxSetWorkingDirectory(started_); }

  std::string Path(const std::string& name) const { return folder_ / name; }
  void ChooseOutput(const std::string& name) {
    files_.path = Path(name);
    window_.OnBrowseOutput();
  }
  void Start(const std::string& filter, const std::string& output) {
    dynamic_cast<wxTextCtrl*>(window_.FindWindow(IDC_FILTER))->ChangeValue(filter);
    ChooseOutput(output);
    window_.OnStart();
  }

  ScratchDir folder_;
  const wxString started_ = wxGetCwd();
  const bool inFolder_ = wxSetWorkingDirectory(wxString::FromUTF8(folder_.path()));
  FileDialogAnswer files_;
  CCatalogDlg window_;
};

// One process for all the cases: Wine's task dialog placed only the first one of a process on its owner.
TEST_F(MessageBoxTest, EveryBoxIsCentredOnTheWindowThatOwnsIt) {
  const char* origin = std::getenv("ORBIVANE_TEST_ORIGIN");
  ASSERT_NE(origin, nullptr) << "run through with_origin.sh";
  WriteFile(Path("big.dat"), NumberedSource(30001));
  WriteFile(Path("old.slc"), "an older catalog");
  window_.Show();
  window_.m_catalog.m_strSourcePath = Path("big.dat");
  window_.PushTexts();
  const struct {
    const char* name;
    int answer;
    std::function<void()> command;
  } kCases[] = {
      {"a message (a refused filter)", IDOK, [&] { Start("1-5x", "refused.slc"); }},
      {"the replace question after the file dialog", IDNO, [&] { ChooseOutput("old.slc"); }},
      {"the 30000 message in the middle of a run, the window disabled", IDOK, [&] { Start("1-30001", "big.slc"); }},
      {"a message after the download dialog", IDOK,
       [&] {
         window_.m_strDownloadUrl = std::string(origin) + "/status/404";
         files_.path = Path("new.gz");
         window_.OnDownloadAstorb();
       }},
      {"a message, the window half past the screen's left edge", IDOK,
       [&] {
         window_.Move(-window_.GetSize().x / 2, window_.GetPosition().y);
         Start("1-5x", "refused.slc");
       }},
  };
  for (const auto& c : kCases) {
    BoxAnswerer answerer(c.answer);
    c.command();
    answerer.Stop();
    ASSERT_EQ(answerer.boxes.size(), 1u) << c.name;
    const ShownBox& shown = answerer.boxes[0];
    EXPECT_EQ(shown.ownerHandle, window_.GetHandle()) << c.name;
    const wxPoint expected = CentredIn(shown.owner, shown.work, shown.box.GetSize());
    EXPECT_TRUE(std::abs(shown.box.x - expected.x) <= 2 && std::abs(shown.box.y - expected.y) <= 2)
        << c.name << ": expected the box at " << expected.x << "," << expected.y << ", got " << Describe(shown.box)
        << " (the window " << Describe(shown.owner) << ", the work area " << Describe(shown.work) << ")";
  }
}

}  // namespace
}  // namespace orbivane::testing
