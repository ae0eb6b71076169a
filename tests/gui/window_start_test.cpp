// The window program before its window: what it answers without one (run as a program of its own; on Linux
// without a display, on Windows, where it is a window program, with its output handed over as files or to the
// console it was started from), and on Linux the folder the desktop menu's entry starts it in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#ifndef _WIN32
#include "documents_folder.h"
#endif

#include "run_program.h"
#include "test_files.h"
#include "window_command_line.h"

namespace orbivane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::Result;
using testing::WriteFile;

// The window program; on Linux without a display, on which a window could open.
Result RunWindowProgram(const std::vector<std::string>& args) {
#ifdef _WIN32
  return testing::RunProgram(ORBIVANE_WINDOW, ".", args);
#else
  return testing::RunProgram(ORBIVANE_WINDOW, ".", args, "", "env -u DISPLAY -u WAYLAND_DISPLAY");
#endif
}

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
  EXPECT_EQ(testing::EndOf(testing::StartProgram(ORBIVANE_WINDOW, ".", {"--version"}, "", "", "", false)), 0);
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
  const auto put = [](const char* name, const char* value) { value ? ::setenv(name, value, 1) : ::unsetenv(name); };
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
    for (int i = 0; i < 2; ++i) put(names[i], values[i]);
    EXPECT_EQ(EnterDocumentsFolder(), c.problem) << c.name;
    EXPECT_EQ(testing::Utf8(fs::current_path()), c.folder) << c.name;
    fs::current_path(started);
  }
  for (int i = 0; i < 2; ++i) put(names[i], saved[i] ? saved[i]->c_str() : nullptr);
}
#endif

}  // namespace
}  // namespace orbivane
