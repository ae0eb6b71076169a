// The CLI runner on Windows: orbivane-cli.exe as a child process, its
// arguments passed as UTF-16 so that any name reaches it unchanged.
#include <windows.h>

#include <stdexcept>

#include "cli_runner.h"
#include "test_files.h"

namespace orbivane::testing {

namespace {

HANDLE InheritedOutput(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(PathOf(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd, const CliOptions&) {
  // Each argument quoted; none of the tests' arguments holds a quote or ends
  // in a backslash, the two cases that would need escapes.
  std::wstring commandLine = L"\"" + PathOf(ORBIVANE_CLI).wstring() + L"\"";
  for (const std::string& arg : args) commandLine += L" \"" + PathOf(arg).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = InheritedOutput(cwd + "/.stdout");
  startup.hStdError = InheritedOutput(cwd + "/.stderr");
  PROCESS_INFORMATION child{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      PathOf(cwd).c_str(), &startup, &child);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) throw std::runtime_error("cannot start " + std::string(ORBIVANE_CLI));
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(child.hProcess, &status);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  CliResult result{static_cast<int>(status), ReadFile(cwd + "/.stdout"), ReadFile(cwd + "/.stderr")};
  DeleteFileW(PathOf(cwd + "/.stdout").c_str());
  DeleteFileW(PathOf(cwd + "/.stderr").c_str());
  return result;
}

}  // namespace orbivane::testing
