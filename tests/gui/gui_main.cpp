// The window tests' entry point: GoogleTest runs inside an initialised
// toolkit, whose log goes to stderr instead of message boxes.
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

  wxApp::SetInstance(new wxApp());
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fputs("gui_tests: the toolkit did not start; is a display (DISPLAY) set?\n", stderr);
    return 1;
  }
  delete wxLog::SetActiveTarget(new wxLogStderr);
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
