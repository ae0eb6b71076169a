// Times a Start of the real main window (pressed as its button is, the
// conversion shown on its progress bar) against `orbivane-cli convert` on the
// same source and filter, and prints the ratio. Each case runs several times,
// the two interleaved; the fastest run of each counts. The CLI is timed as a
// whole process, as a user waits for it, and its start-up (`--version`) is
// shown beside it. Needs a display: Xvfb on Linux, Wine's for the Windows build.
//   window_bench CLI SCRATCH_DIR REPEAT SOURCE FILTER [SOURCE FILTER ...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/modalhook.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "catalog_dlg.h"
#include "resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs the program with its output thrown away; returns the wall-clock time.
double RunProgram(const std::vector<std::string>& argv) {
  const auto start = Clock::now();
#ifdef _WIN32
  std::wstring command;
  for (const std::string& arg : argv) {
    const std::wstring wide(arg.begin(), arg.end());  // the bench's paths and filters are ASCII
    command += (command.empty() ? L"\"" : L" \"") + wide + L"\"";
  }
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION child{};
  DWORD status = 1;
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  CloseHandle(nul);
  const bool ok = status == 0;
#else
  const pid_t pid = fork();
  if (pid == 0) {
    const int nul = open("/dev/null", O_WRONLY);
    dup2(nul, 1);
    dup2(nul, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
  if (!ok) {
    std::fprintf(stderr, "window_bench: failed: %s %s\n", argv[0].c_str(), argv.size() > 1 ? argv[1].c_str() : "");
    std::exit(1);
  }
  return SecondsSince(start);
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A message box during a run would wait for a user: it is answered and counted.
struct CountingHook : wxModalDialogHook {
  int shown = 0;
  int Enter(wxDialog*) override {
    ++shown;
    return wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

struct Case {
  std::string source, filter;
  double cli = 1e30, window = 1e30;
  int repaints = 0, updates = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || (argc - 4) % 2 != 0) {
    std::fprintf(stderr, "usage: window_bench CLI SCRATCH_DIR REPEAT SOURCE FILTER [SOURCE FILTER ...]\n");
    return 2;
  }
  const std::string cli = argv[1], scratch = argv[2];
  const int repeat = std::max(1, std::atoi(argv[3]));
  std::vector<Case> cases;
  for (int i = 4; i + 1 < argc; i += 2) cases.push_back({argv[i], argv[i + 1]});

  wxApp::SetInstance(new wxApp());
  int wxArgc = 1;
  if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit()) return 1;
  // The window keeps its history in the folder it starts in.
  if (!wxSetWorkingDirectory(wxString::FromUTF8(scratch))) {
    std::fprintf(stderr, "window_bench: cannot enter %s\n", scratch.c_str());
    return 1;
  }
  CountingHook hook;
  hook.Register();
  int result = 0;
  {
    orbivane::CCatalogDlg window;
    window.Show();
    for (int turn = 0; turn < 10; ++turn) wxTheApp->Yield(true);
    double startUp = 1e30;
    for (int round = 0; round < repeat; ++round) {
      startUp = std::min(startUp, RunProgram({cli, "--version"}));
      for (Case& c : cases) {
        c.cli = std::min(c.cli, RunProgram({cli, "convert", "--source", c.source, "--output",
                                            scratch + "/cli.slc", "--filter", c.filter, "--workdir", scratch}));
        window.m_catalog.m_strSourcePath = c.source;
        window.m_catalog.m_strFilter = c.filter;
        window.m_catalog.m_strOutputPath = scratch + "/window.slc";
        window.PushTexts();
        const int repaints = window.RepaintCount(), updates = window.ProgressUpdateCount();
        wxCommandEvent start(wxEVT_BUTTON, orbivane::IDC_START);
        const auto pressed = Clock::now();
        window.ProcessWindowEvent(start);
        c.window = std::min(c.window, SecondsSince(pressed));
        c.repaints = window.RepaintCount() - repaints;
        c.updates = window.ProgressUpdateCount() - updates;
        if (Contents(scratch + "/cli.slc") != Contents(scratch + "/window.slc")) {
          std::fprintf(stderr, "window_bench: the two catalogs of %s differ\n", c.filter.c_str());
          result = 1;
        }
      }
    }
    std::printf("Best of %d runs each. orbivane-cli start-up (--version): %.3f s\n\n", repeat, startUp);
    std::printf("%-20s %-16s %7s %8s %6s %11s %8s %8s\n", "source", "filter", "cli s", "window s", "ratio",
                "w/o start", "repaints", "bar told");
    for (const Case& c : cases) {
      const std::string name = c.source.substr(c.source.find_last_of("/\\") + 1);
      std::printf("%-20s %-16s %7.3f %8.3f %6.2f %11.2f %8d %8d\n", name.c_str(), c.filter.c_str(), c.cli, c.window,
                  c.window / c.cli, c.window / std::max(c.cli - startUp, 1e-3), c.repaints, c.updates);
    }
    std::printf("\nratio: window / orbivane-cli, target at most 1.2; w/o start: the same against the CLI's time\n"
                "less its start-up\n");
    if (hook.shown > 0) {
      std::fprintf(stderr, "window_bench: %d message boxes were shown during the runs\n", hook.shown);
      result = 1;
    }
    window.Destroy();
  }
  hook.Unregister();
  wxEntryCleanup();
  return result;
}
