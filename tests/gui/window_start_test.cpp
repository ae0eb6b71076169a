// The window program before its window: what it answers without one (run as a program of its own; on Linux
// without a display, on Windows, where it is a window program, with its output handed over as files or to the
// console it was started from), and on Linux the folder the desktop menu's entry starts it in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>

#include "documents_folder.h"
#endif

#include "test_files.h"
#include "window_command_line.h"

namespace orbivane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

struct Result { int status; std::string out, err; };

#ifdef _WIN32
// Starts orbivane.exe, with its standard output and error into the files given, as a redirection hands them over,
// or with none, as a command prompt starts a window program (Wine would hand over its console's otherwise).
HANDLE StartWindowProgram(const std::vector<std::string>& args, const std::string& out = "",
                          const std::string& err = "") {
  std::wstring command = L"orbivane";
  for (const std::string& arg : args) command += L" " + testing::PathOf(arg).wstring();  // no blank in them
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  for (const auto& [stream, name] : {std::pair{&startup.hStdOutput, out}, std::pair{&startup.hStdError, err}}) {
    if (!name.empty()) {
      *stream = CreateFileW(testing::PathOf(name).c_str(), GENERIC_WRITE, 0, &inherited, CREATE_NEW, 0, nullptr);
    }
  }
  PROCESS_INFORMATION child{};
  EXPECT_TRUE(CreateProcessW(testing::PathOf(ORBIVANE_WINDOW).c_str(), command.data(), nullptr, nullptr,
                             !out.empty(), 0, nullptr, nullptr, &startup, &child));
  for (const HANDLE handle : {child.hThread, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
  return child.hProcess;
}

// Its exit status once it has ended by itself, as a window waiting for its user would not.
int EndOf(HANDLE run) {
  EXPECT_EQ(WaitForSingleObject(run, 20000), WAIT_OBJECT_0) << "no window waits";
  DWORD status = 0;
  GetExitCodeProcess(run, &status);
  TerminateProcess(run, 99);
  CloseHandle(run);
  return static_cast<int>(status);
}

Result RunWindowProgram(const std::vector<std::string>& args) {
  const testing::ScratchDir streams;
  const int status = EndOf(StartWindowProgram(args, streams / "out", streams / "err"));
  // Wine hands a window program's standard error on to a helper of its desktop that it starts, which holds the
  // file for a moment after the program has ended.
  for (int wait = 0; wait < 1000; ++wait) {
    const HANDLE held = CreateFileW(testing::PathOf(streams / "err").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
    if (held != INVALID_HANDLE_VALUE) {
      CloseHandle(held);
      break;
    }
    Sleep(10);
  }
  return {status, ReadFile(streams / "out"), ReadFile(streams / "err")};
}
#else
// orbivane without a display, on which a window could open.
Result RunWindowProgram(const std::vector<std::string>& args) {
  const testing::ScratchDir streams;
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY '" ORBIVANE_WINDOW "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  const int status = std::system((command + " >'" + (streams / "out") + "' 2>'" + (streams / "err") + "'").c_str());
  return {WEXITSTATUS(status), ReadFile(streams / "out"), ReadFile(streams / "err")};
}
#endif

// --help, --version and a usage error are answered without a window, as from any command-line program.
TEST(WindowStartTest, AnswersHelpVersionAndUsageErrorsWithoutAWindow) {
  const std::string help = ProgramHelp(WindowProgramText());
#ifdef _WIN32
  const std::string usage = "Usage:\n  orbivane\n  orbivane --help | --version\n";
#else
  const std::string usage = "Usage:\n  orbivane [--in-documents]\n  orbivane --help | --version\n";
#endif
  EXPECT_EQ(help.substr(0, usage.size()), usage);
  const std::string more = "Try 'orbivane --help' for more information.\n";
  const struct { std::vector<std::string> args; int status; std::string out, err; } kCases[] = {
      {{"--help"}, 0, help, ""},
      {{"-h"}, 0, help, ""},
      {{"--version"}, 0, "orbivane " ORBIVANE_VERSION "\n", ""},
      {{"--bogus"}, 2, "", "orbivane: unexpected argument '--bogus'\n" + more},
      {{"--version", "--help"}, 2, "", "orbivane: unexpected argument '--version'\n" + more},
#ifdef _WIN32
      // The Start-menu shortcut gives the window its folder.
      {{"--in-documents"}, 2, "", "orbivane: unexpected argument '--in-documents'\n" + more},
#else
      {{"--in-documents", "--help"}, 2, "", "orbivane: unexpected argument '--help'\n" + more},
      {{"--in-documents", "--in-documents"}, 2, "", "orbivane: option '--in-documents' given twice\n" + more},
#endif
  };
  for (const auto& c : kCases) {
    const Result r = RunWindowProgram(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0];
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
  }
}

#ifdef _WIN32
// Started from a command prompt without a redirection, it writes to the prompt's console.
TEST(WindowStartTest, WritesToTheConsoleItWasStartedFrom) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(EndOf(StartWindowProgram({"--version"})), 0);
  const std::string expected = "orbivane " ORBIVANE_VERSION;
  std::string text(expected.size(), '\0');
  DWORD read = 0;
  EXPECT_TRUE(ReadConsoleOutputCharacterA(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0}, &read));
  EXPECT_EQ(text.substr(0, read), expected);
  CloseHandle(screen);
  FreeConsole();
}
#else
// The desktop menu's entry starts the window in the documents folder's Orbivane, made where missing: the
// documents folder as user-dirs.dirs names it, else ~/Documents. Where that fails, it says why and stays.
TEST(WindowStartTest, InDocumentsWorksInTheDocumentsFoldersOrbivane) {
  const testing::ScratchDir scratch;
  const std::string home = scratch / "home", config = scratch / "config", started = testing::Utf8(fs::current_path());
  const std::string dirs = "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n# XDG_DOCUMENTS_DIR=\"$HOME/Not\"\n";
  const std::string instead = "; working in \"" + started + "\" instead";
  const std::string homeConfig = home + "/.config";
  const struct {
    const char *name, *home, *configHome;
    std::string userDirs, userDirsIn, folder, problem;
  } kCases[] = {
      {"XDG_DOCUMENTS_DIR in $HOME", home.c_str(), config.c_str(), dirs + "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
       config, home + "/Dokumente/Orbivane", ""},
      {"XDG_DOCUMENTS_DIR absolute", home.c_str(), config.c_str(),
       dirs + "  XDG_DOCUMENTS_DIR=\"" + scratch.path() + "/my \\\"papers\\\"\"\n", config,
       scratch.path() + "/my \"papers\"/Orbivane", ""},
      {"no XDG_DOCUMENTS_DIR", home.c_str(), config.c_str(), dirs, config, home + "/Documents/Orbivane", ""},
      {"no user-dirs.dirs", home.c_str(), config.c_str(), "", config, home + "/Documents/Orbivane", ""},
      {"XDG_CONFIG_HOME not set: ~/.config", home.c_str(), nullptr, "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
       homeConfig, home + "/Docs/Orbivane", ""},
      {"XDG_CONFIG_HOME not absolute: ~/.config", home.c_str(), "config", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
       homeConfig, home + "/Docs/Orbivane", ""},
      {"folder cannot be made", home.c_str(), config.c_str(), "XDG_DOCUMENTS_DIR=\"$HOME/file\"\n", config, started,
       "Cannot create folder \"" + home + "/file/Orbivane\": Not a directory" + instead},
      {"HOME not set", nullptr, config.c_str(), "", config, started,
       "Cannot find the documents folder: HOME is not set" + instead},
  };
  const char* const names[] = {"HOME", "XDG_CONFIG_HOME"};
  std::optional<std::string> saved[2];
  for (int i = 0; i < 2; ++i) {
    if (const char* value = std::getenv(names[i])) saved[i] = value;
  }
  for (const auto& c : kCases) {
    fs::remove_all(home);
    fs::remove_all(config);
    fs::create_directories(homeConfig);
    fs::create_directory(config);
    WriteFile(home + "/file", "a file where the folder would go");
    if (!c.userDirs.empty()) WriteFile(c.userDirsIn + "/user-dirs.dirs", c.userDirs);
    const char* const values[] = {c.home, c.configHome};
    for (int i = 0; i < 2; ++i) {
      if (values[i] != nullptr) {
        ::setenv(names[i], values[i], 1);
      } else {
        ::unsetenv(names[i]);
      }
    }
    EXPECT_EQ(EnterDocumentsFolder(), c.problem) << c.name;
    EXPECT_EQ(testing::Utf8(fs::current_path()), c.folder) << c.name;
    fs::current_path(started);
  }
  for (int i = 0; i < 2; ++i) {
    if (saved[i]) {
      ::setenv(names[i], saved[i]->c_str(), 1);
    } else {
      ::unsetenv(names[i]);
    }
  }
}

// The desktop menu's entry passes the option.
TEST(WindowStartTest, TheDesktopEntryStartsTheWindowInTheDocumentsFolder) {
  const std::string entry = ReadFile(ORBIVANE_DESKTOP_ENTRY);
  const std::size_t exec = entry.find("\nExec=");
  ASSERT_NE(exec, std::string::npos);
  std::istringstream line(entry.substr(exec + 6, entry.find('\n', exec + 1) - exec - 6));
  const std::vector<std::string> words{std::istream_iterator<std::string>(line), {}};
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(words[0], "orbivane");
  const WindowStart start = ParseWindowCommandLine({words.begin() + 1, words.end()});
  EXPECT_EQ(start.action, WindowStart::Action::kOpenWindow) << start.error;
  EXPECT_TRUE(start.inDocuments);
}
#endif

}  // namespace
}  // namespace orbivane
