// The two web pages: each button opens its one address through the
// desktop's default-browser facility, and nothing is written anywhere.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include <wx/app.h>

#include <sys/stat.h>

#include "browser.h"
#include "gui_test_support.h"
#include "help_dlg.h"
#include "resource_ids.h"
#include "web_addresses.h"

namespace orbivane::testing {
namespace {

// An environment variable set for the object's life, then put back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> g_opened;
bool RecordAddress(const std::string& url) {
  g_opened.push_back(url);
  return true;
}

class WebPageTest : public MainWindowTest {
 protected:
  WebPageTest() : previous_(SetBrowserLauncher(&RecordAddress)) { g_opened.clear(); }
  ~WebPageTest() override { SetBrowserLauncher(previous_); }

 private:
  BrowserLauncher previous_;
};

TEST_F(WebPageTest, DownloadCatalogsOpensTheCatalogPageAndWritesNoFile) {
  WriteFile(Path("tmp.html"), "a user's own page");
  Click(&Window(), IDC_DOWNLOAD_CATALOGS);
  EXPECT_EQ(g_opened, std::vector<std::string>{kCompiledCatalogsUrl});
  EXPECT_EQ(std::string(kCompiledCatalogsUrl).substr(std::string(kCompiledCatalogsUrl).size() - 14),
            "/asteroids.htm");
  EXPECT_EQ(ListDir(folder_.path()), "tmp.html");
  EXPECT_EQ(ReadFile(Path("tmp.html")), "a user's own page");
}

TEST_F(WebPageTest, HelpDownloadOpensTheAstorbPageAndTheHelpStaysOpen) {
  bool stillModal = false;
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectDialog<CHelpDlg>([&](CHelpDlg* help) {
                  Click(help, IDC_DOWNLOAD_SOURCE);
                  stillModal = help->GetReturnCode() == 0;
                  return static_cast<int>(wxID_CANCEL);
                }));
  EXPECT_EQ(g_opened, std::vector<std::string>{"ftp://ftp.lowell.edu/pub/elgb/astorb.html"});
  EXPECT_TRUE(stillModal) << "the download button does not end the Help dialog";
  EXPECT_EQ(ListDir(folder_.path()), "");
}

TEST_F(WebPageTest, EnterInTheHelpTextPressesTheDefaultDownloadButton) {
  wxTEST_DIALOG(Click(&Window(), IDC_HELP_BUTTON), ExpectDialog<CHelpDlg>([&](CHelpDlg* help) {
                  wxKeyEvent enter(wxEVT_KEY_DOWN);
                  enter.m_keyCode = WXK_RETURN;
                  wxWindow* text = help->FindWindow(IDC_HELP_TEXT);
                  enter.SetEventObject(text);
                  text->GetEventHandler()->ProcessEvent(enter);
                  return static_cast<int>(wxID_CANCEL);
                }));
  EXPECT_EQ(g_opened, std::vector<std::string>{kAstorbDocumentationUrl});
}

// The real facility, with a stand-in `xdg-open` in a folder whose name has
// blanks: it must receive the address as its one argument, and the current
// folder must stay empty. The desktop's file-type database is hidden from
// the facility, which then falls back to xdg-open; the toolkit keeps that
// database for the life of the process, so this runs in a child process.
void LaunchWithStandInBrowser() {
  ScratchDir tools;
  ScratchDir data;
  ScratchDir current;
  const std::string bin = tools / "browser folder";
  const std::string record = tools / "arguments";
  if (::mkdir(bin.c_str(), 0755) != 0) std::exit(2);
  WriteFile(bin + "/xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + record +
                                   ".part'\nmv '" + record + ".part' '" + record + "'\n");
  if (::chmod((bin + "/xdg-open").c_str(), 0755) != 0) std::exit(2);
  const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ScopedEnvironment path("PATH", bin + ":" + oldPath);
  ScopedEnvironment dataHome("XDG_DATA_HOME", data.path());
  ScopedEnvironment dataDirs("XDG_DATA_DIRS", data.path());
  ScopedEnvironment configHome("XDG_CONFIG_HOME", data.path());
  ScopedEnvironment configDirs("XDG_CONFIG_DIRS", data.path());
  {
    ScopedCurrentDirectory cwd(current.path());
    OpenUrlInBrowser("https://orbivane.example/a b?x=1&y=2");
    for (int i = 0; i < 400 && !FileExists(record); ++i) {
      wxTheApp->Yield(true);
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  const std::string got = FileExists(record) ? ReadFile(record) : "<the stand-in browser was not started>";
  const std::string left = ListDir(current.path());
  std::fprintf(stderr, "arguments: %s\nfiles left: [%s]\n", got.c_str(), left.c_str());
  std::exit(got == "[https://orbivane.example/a b?x=1&y=2]\n" && left.empty() ? 0 : 1);
}

TEST(DefaultBrowserDeathTest, LaunchPassesTheAddressAsOneArgumentAndWritesNoFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(LaunchWithStandInBrowser(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace orbivane::testing
