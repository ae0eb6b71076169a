#include "message_box.h"

#include <algorithm>
#include <string_view>

#include <wx/msgdlg.h>

#ifdef __WXMSW__
#include <wx/msw/private.h>
#endif

#include "ui_texts.h"

namespace orbivane {

namespace {

#ifdef __WXMSW__
// With the common controls of version 6 (the program's manifest asks for
// them) wxMSW shows a box as a task dialog, placed by the system. Wine's
// task dialog places only the first one of a process on its owner; every
// later one stays at the owner's top-left corner. So the box is placed here,
// once it has laid itself out (when it has handled WM_INITDIALOG) and before
// it is shown; on Windows, where the system centres it too, it stays.
// (Activation comes too early for this: Wine's task dialog is activated by
// the focus it gives its button before it has its size.)
class CentreOnOwner {
 public:
  CentreOnOwner() {
    if (t_hook == nullptr) {
      t_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &CentreOnOwner::OnReturn, nullptr, GetCurrentThreadId());
    }
  }
  ~CentreOnOwner() {
    if (t_hook != nullptr) UnhookWindowsHookEx(t_hook);  // no box came (or it was answered before showing)
    t_hook = nullptr;
  }
  CentreOnOwner(const CentreOnOwner&) = delete;
  CentreOnOwner& operator=(const CentreOnOwner&) = delete;

 private:
  static LRESULT CALLBACK OnReturn(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = t_hook;
    const LRESULT result = CallNextHookEx(hook, code, wParam, lParam);
    const auto& message = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message.message == WM_INITDIALOG && IsBox(message.hwnd)) {
      UnhookWindowsHookEx(hook);  // one box per call
      t_hook = nullptr;
      Centre(message.hwnd);
    }
    return result;
  }

  // An owned window of the system's dialog class, as task dialogs and MessageBoxes are, that the toolkit did
  // not make (its own dialogs have that class too).
  static bool IsBox(HWND window) {
    wchar_t name[8] = {};
    return GetClassNameW(window, name, 8) > 0 && std::wstring_view(name) == L"#32770" &&
           wxFindWinFromHandle(window) == nullptr && GetWindow(window, GW_OWNER) != nullptr;
  }

  static void Centre(HWND box) {
    const HWND owner = GetWindow(box, GW_OWNER);
    RECT boxRect;
    RECT ownerRect;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetWindowRect(box, &boxRect) || !GetWindowRect(owner, &ownerRect) ||
        !GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
      return;
    }
    const RECT& work = monitor.rcWork;
    const LONG width = boxRect.right - boxRect.left;
    const LONG height = boxRect.bottom - boxRect.top;
    const LONG x = std::clamp((ownerRect.left + ownerRect.right - width) / 2, work.left,
                              std::max(work.left, work.right - width));
    const LONG y = std::clamp((ownerRect.top + ownerRect.bottom - height) / 2, work.top,
                              std::max(work.top, work.bottom - height));
    SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  static thread_local HHOOK t_hook;
};

thread_local HHOOK CentreOnOwner::t_hook = nullptr;
#endif

}  // namespace

int ShowMessageBox(wxWindow& owner, const wxString& text, long style) {
#ifdef __WXMSW__
  const CentreOnOwner centre;
#endif  // GTK places a box on the window it belongs to itself
  return wxMessageBox(text, wxString::FromUTF8(kAppTitle), style | wxCENTRE, &owner);
}

}  // namespace orbivane
