// Plays the user of the installer and the uninstaller under Wine (tools/windows_setup.sh runs it in the
// installer's Wine prefix): it finds their windows, reads their texts and check boxes and presses their buttons.
//   setup_driver walk SETUP PROGRAM-FOLDER DOCUMENTS-FOLDER
//     With the installed window running, the installer asks to close it; once it is closed, Retry installs,
//     the finish page offers "Run Orbivane" (checked) and the README, and Finish starts the window in
//     DOCUMENTS-FOLDER. The uninstaller's confirmation says that Documents\Orbivane is kept; Cancel ends it.
//   setup_driver running
//     Ends once an Orbivane program runs (its mutex Orbivane.Running exists).
//   setup_driver hold FILE
//     Keeps FILE open, deletable by no one, until standard input ends; prints "held" once it holds it.
// Every wait ends after a minute; a failure names what was missing and ends every process the driver started.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 60000;
constexpr wchar_t kRunningText[] =
    L"Orbivane is running. Close the Orbivane window and every orbivane-cli, then choose Retry.";
constexpr wchar_t kRunText[] = L"&Run Orbivane";
constexpr wchar_t kReadmeLink[] = L"Open README.txt";
constexpr wchar_t kKeptText[] =
    L"Orbivane will be uninstalled from the following folder. Your history and catalogs in Documents\\Orbivane "
    L"are kept.";

std::vector<HANDLE> g_started;
std::wstring g_window;  // the installed orbivane.exe

bool SameText(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

std::wstring ImageOf(HANDLE process) {
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : L"";
}

// Every visible top-level window, with the id of its process.
std::vector<std::pair<HWND, DWORD>> TopWindows() {
  std::vector<std::pair<HWND, DWORD>> windows;
  EnumWindows(
      [](HWND window, LPARAM list) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (IsWindowVisible(window))
          reinterpret_cast<std::vector<std::pair<HWND, DWORD>>*>(list)->emplace_back(window, id);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// Ends what the driver started, and a window the installer started.
void EndEverything() {
  for (const HANDLE process : g_started) TerminateProcess(process, 1);
  for (const auto& [window, id] : TopWindows()) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id);
    if (process == nullptr) continue;
    if (SameText(ImageOf(process), g_window)) TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

[[noreturn]] void Fail(const std::wstring& what) {
  std::fwprintf(stderr, L"setup_driver: %ls\n", what.c_str());
  EndEverything();
  std::exit(1);
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

// Every control inside a window, at any depth.
std::vector<HWND> ControlsOf(HWND window) {
  std::vector<HWND> controls;
  EnumChildWindows(
      window,
      [](HWND control, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(control);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  return controls;
}

HWND ControlWithText(HWND window, const std::wstring& text) {
  for (const HWND control : ControlsOf(window))
    if (IsWindowVisible(control) && TextOf(control) == text) return control;
  return nullptr;
}

// Asks `find` every 100 ms until it finds something, for at most a minute.
HWND WaitFor(const std::wstring& what, const std::function<HWND()>& find) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 100) {
    if (const HWND found = find()) return found;
    Sleep(100);
  }
  Fail(L"no " + what + L" within a minute");
}

// A top-level window of the process that holds a control with this id (1018: the page of an NSIS window;
// IDRETRY: a Retry/Cancel box).
HWND WindowOf(DWORD process, int id) {
  for (const auto& [window, owner] : TopWindows())
    if (owner == process && GetDlgItem(window, id) != nullptr) return window;
  return nullptr;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void WaitForEnd(HANDLE process, const std::wstring& what, DWORD expectedStatus) {
  if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0) Fail(what + L" did not end within a minute");
  DWORD status = 0;
  GetExitCodeProcess(process, &status);
  if (status != expectedStatus)
    Fail(what + L" ended with " + std::to_wstring(status) + L", expected " + std::to_wstring(expectedStatus));
}

PROCESS_INFORMATION Start(std::wstring commandLine, const std::wstring& folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &started))
    Fail(L"cannot start " + commandLine);
  CloseHandle(started.hThread);
  g_started.push_back(started.hProcess);
  return started;
}

// The start of RTL_USER_PROCESS_PARAMETERS as Windows and Wine lay it out; winternl.h keeps it opaque.
struct ProcessParametersStart {
  ULONG maximumLength, length, flags, debugFlags;
  HANDLE console;
  ULONG consoleFlags;
  HANDLE input, output, error;
  UNICODE_STRING currentDirectory;
};

std::wstring CurrentFolderOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  ProcessParametersStart parameters{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
      !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
      !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
    return L"(unreadable)";
  std::wstring folder(parameters.currentDirectory.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, parameters.currentDirectory.Buffer, folder.data(),
                         parameters.currentDirectory.Length, nullptr))
    return L"(unreadable)";
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

bool ProgramsRun() {
  const HANDLE mark = OpenMutexW(SYNCHRONIZE, FALSE, L"Orbivane.Running");
  if (mark != nullptr) CloseHandle(mark);
  return mark != nullptr;
}

// A visible window of the installed orbivane.exe, with its process, which the caller closes.
HWND InstalledWindow(HANDLE& process) {
  for (const auto& [window, id] : TopWindows()) {
    const HANDLE candidate =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (candidate == nullptr) continue;
    if (SameText(ImageOf(candidate), g_window)) {
      process = candidate;
      return window;
    }
    CloseHandle(candidate);
  }
  return nullptr;
}

int Walk(const std::wstring& setup, const std::wstring& programs, const std::wstring& documents) {
  g_window = programs + L"\\orbivane.exe";

  // The installed window runs, as the user left it.
  const PROCESS_INFORMATION running = Start(L"\"" + g_window + L"\"", documents);
  HANDLE found = nullptr;
  const HWND runningWindow = WaitFor(L"window of the running orbivane.exe", [&] { return InstalledWindow(found); });
  CloseHandle(found);
  if (!ProgramsRun()) Fail(L"the running orbivane.exe holds no Orbivane.Running mutex");

  const PROCESS_INFORMATION installer = Start(L"\"" + setup + L"\"", L"");
  const HWND wizard = WaitFor(L"installer window", [&] { return WindowOf(installer.dwProcessId, 1018); });
  Press(wizard, IDOK);  // Install, on the folder page
  HWND box = WaitFor(L"Retry/Cancel box", [&] { return WindowOf(installer.dwProcessId, IDRETRY); });
  if (!ControlWithText(box, kRunningText) || !GetDlgItem(box, IDCANCEL))
    Fail(L"the box while Orbivane runs is not Retry/Cancel with \"" + std::wstring(kRunningText) + L"\"");
  std::wprintf(L"installer: Retry/Cancel box while orbivane.exe runs: %ls\n", kRunningText);
  // Retry while it still runs asks again.
  Press(box, IDRETRY);
  box = WaitFor(L"second Retry/Cancel box", [&] {
    const HWND again = WindowOf(installer.dwProcessId, IDRETRY);
    return again != box ? again : nullptr;
  });
  PostMessageW(runningWindow, WM_CLOSE, 0, 0);
  WaitForEnd(running.hProcess, L"the running orbivane.exe, closed,", 0);
  Press(box, IDRETRY);

  const HWND run = WaitFor(L"\"Run Orbivane\" on the finish page", [&] { return ControlWithText(wizard, kRunText); });
  if (SendMessageW(run, BM_GETCHECK, 0, 0) != BST_CHECKED) Fail(L"\"Run Orbivane\" is not checked");
  const HWND link = ControlWithText(wizard, kReadmeLink);
  if (link == nullptr || !SameText(ClassOf(link), L"Button") ||
      (GetWindowLongW(link, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW)
    Fail(L"no link \"" + std::wstring(kReadmeLink) + L"\" on the finish page");
  std::wprintf(L"installer: finish page with \"%ls\" checked and the link \"%ls\"\n", kRunText, kReadmeLink);
  Press(wizard, IDOK);  // Finish
  WaitForEnd(installer.hProcess, L"the installer", 0);

  HANDLE started = nullptr;
  const HWND startedWindow = WaitFor(L"window of orbivane.exe after Finish", [&] { return InstalledWindow(started); });
  g_started.push_back(started);
  if (!ProgramsRun()) Fail(L"the orbivane.exe that Finish started holds no Orbivane.Running mutex");
  const std::wstring folder = CurrentFolderOf(started);
  if (!SameText(folder, documents)) Fail(L"Finish started orbivane.exe in " + folder + L", not in " + documents);
  std::wprintf(L"installer: Finish started orbivane.exe in %ls\n", folder.c_str());
  PostMessageW(startedWindow, WM_CLOSE, 0, 0);
  WaitForEnd(started, L"orbivane.exe, closed,", 0);

  // In place (_?=), so that the uninstaller is the process started here.
  const PROCESS_INFORMATION uninstaller =
      Start(L"\"" + programs + L"\\uninstall.exe\" _?=" + programs, L"");
  const HWND confirm = WaitFor(L"uninstaller window", [&] { return WindowOf(uninstaller.dwProcessId, 1018); });
  WaitFor(L"confirmation text \"" + std::wstring(kKeptText) + L"\"",
          [&] { return ControlWithText(confirm, kKeptText); });
  std::wprintf(L"uninstaller: %ls\n", kKeptText);
  Press(confirm, IDCANCEL);
  WaitForEnd(uninstaller.hProcess, L"the uninstaller, cancelled,", 1);
  return 0;
}

int Hold(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(L"cannot open " + path);
  std::puts("held");
  std::fflush(stdout);
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == L"walk") return Walk(args[1], args[2], args[3]);
  if (args.size() == 1 && args[0] == L"running") {
    WaitFor(L"Orbivane.Running mutex", [] { return ProgramsRun() ? GetDesktopWindow() : nullptr; });
    return 0;
  }
  if (args.size() == 2 && args[0] == L"hold") return Hold(args[1]);
  std::fputs("usage: setup_driver walk SETUP PROGRAM-FOLDER DOCUMENTS-FOLDER | running | hold FILE\n", stderr);
  return 2;
}
