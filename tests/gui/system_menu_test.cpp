// Windows: the About item in the window's real system menu, and the system
// commands 0x10 to 0x1F, which all open the About box.
#include <windows.h>

#include <string>

#include "about_dlg.h"
#include "gui_test_support.h"

namespace orbivane::testing {
namespace {

using SystemMenuTest = MainWindowTest;

TEST_F(SystemMenuTest, EndsWithAboutAfterASeparatorAndItsCommandsOpenTheAboutBox) {
  const auto window = static_cast<HWND>(Window().GetHWND());
  const HMENU menu = GetSystemMenu(window, FALSE);
  const int last = GetMenuItemCount(menu) - 1;
  wchar_t text[64] = {};
  GetMenuStringW(menu, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), L"&About Orbivane...");
  EXPECT_EQ(GetMenuItemID(menu, last), 0x10u);
  EXPECT_NE(GetMenuState(menu, static_cast<UINT>(last - 1), MF_BYPOSITION) & MF_SEPARATOR, 0u);
  for (const WPARAM command : {0x10, 0x1F}) {
    int openings = 0;
    wxTEST_DIALOG(SendMessageW(window, WM_SYSCOMMAND, command, 0), ExpectDialog<CAboutDlg>([&](CAboutDlg*) {
      ++openings;
      return static_cast<int>(wxID_OK);
    }));
    EXPECT_EQ(openings, 1) << "command 0x" << std::hex << command;
  }
}

}  // namespace
}  // namespace orbivane::testing
