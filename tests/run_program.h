// Runs one of the programs as a shell or a command prompt does, in a folder, and gives back its exit status and
// what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>

#include <cstdlib>
#endif

#include "test_files.h"

namespace orbivane::testing {

struct Result { int status; std::string out, err; };

#ifdef _WIN32
// Starts `program` in `dir`, its arguments quoted as its C runtime reads them back; its standard output and error
// go to the files `out` and `err` and its input comes from `in`, where named. Without any, it shares this
// program's console and handles, or with `handOver` false has no standard handle at all, as a command prompt
// starts a window program.
inline HANDLE StartProgram(const std::string& program, const std::string& dir, const std::vector<std::string>& args,
                           const std::string& out = "", const std::string& err = "", const std::string& in = "",
                           bool handOver = true) {
  std::wstring command = PathOf(program).stem().wstring();
  for (const std::string& arg : args) {
    command += L" \"";
    std::size_t slashes = 0;
    for (const wchar_t c : PathOf(arg).wstring()) {
      if (c == L'"') command.append(slashes + 1, L'\\');
      slashes = c == L'\\' ? slashes + 1 : 0;
      command += c;
    }
    command.append(slashes, L'\\') += L'"';
  }
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = out.empty() && handOver ? 0 : STARTF_USESTDHANDLES;
  for (const auto& [stream, name] : {std::pair{&startup.hStdOutput, out}, std::pair{&startup.hStdError, err}}) {
    if (!name.empty()) {
      *stream = CreateFileW(PathOf(name).c_str(), GENERIC_WRITE, 0, &inherited, CREATE_NEW, 0, nullptr);
    }
  }
  if (!in.empty()) {
    startup.hStdInput =
        CreateFileW(PathOf(in).c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited, OPEN_EXISTING, 0, nullptr);
  }
  PROCESS_INFORMATION child{};
  EXPECT_TRUE(CreateProcessW(PathOf(program).c_str(), command.data(), nullptr, nullptr, !out.empty(), 0, nullptr,
                             PathOf(dir).c_str(), &startup, &child));
  for (const HANDLE handle : {child.hThread, startup.hStdOutput, startup.hStdError, startup.hStdInput}) {
    CloseHandle(handle);
  }
  return child.hProcess;
}

// Its exit status once it has ended by itself, within 20 s (a window waiting for its user would not).
inline int EndOf(HANDLE run) {
  EXPECT_EQ(WaitForSingleObject(run, 20000), WAIT_OBJECT_0) << "the program ends by itself";
  DWORD status = 0;
  GetExitCodeProcess(run, &status);
  TerminateProcess(run, 99);
  CloseHandle(run);
  return static_cast<int>(status);
}

// Standard input comes from the file `in` when named.
inline Result RunProgram(const std::string& program, const std::string& dir, const std::vector<std::string>& args,
                         const std::string& in = "") {
  const ScratchDir streams;
  const int status = EndOf(StartProgram(program, dir, args, streams / "out", streams / "err", in));
  // Wine hands a window program's standard error on to a helper of its desktop that it starts, which holds the
  // file for a moment after the program has ended.
  const auto released = [&streams] {
    const HANDLE file = CreateFileW(PathOf(streams / "err").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, {});
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
  };
  for (int wait = 0; wait < 1000 && !released(); ++wait) Sleep(10);
  return {status, ReadFile(streams / "out"), ReadFile(streams / "err")};
}
#else
// Runs `program` in `dir` behind a prefix such as "timeout"; standard input comes from `in` and output goes to
// `out` when named.
inline Result RunProgram(const std::string& program, const std::string& dir, const std::vector<std::string>& args,
                         const std::string& in = "", const std::string& prefix = "", std::string out = "") {
  const ScratchDir streams;
  std::string command = "cd '" + dir + "' && " + prefix + " '" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  out = out.empty() ? streams / "out" : out;
  if (!in.empty()) command += " <'" + in + "'";
  const int status = std::system((command + " >'" + out + "' 2>'" + (streams / "err") + "'").c_str());
  return {WEXITSTATUS(status), ReadFile(streams / "out"), ReadFile(streams / "err")};
}
#endif

}  // namespace orbivane::testing
