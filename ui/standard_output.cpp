#include "standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orbivane {

#ifdef _WIN32
namespace {

bool WriteAll(HANDLE handle, const std::string& text) {
  DWORD written = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool Write(DWORD stream, const std::string& text) {
  if (WriteAll(GetStdHandle(stream), text)) return true;
  // Started from a command prompt without a redirection: the prompt's console (which this process may share
  // already, after the other stream).
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return false;
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  const bool written = WriteAll(console, text);
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  return written;
}

}  // namespace

int WriteStandardOutput(const std::string& text) { return Write(STD_OUTPUT_HANDLE, text) ? 0 : 1; }

void WriteStandardError(const std::string& text) { Write(STD_ERROR_HANDLE, text); }
#else
int WriteStandardOutput(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "orbivane: cannot write standard output: %s\n", std::strerror(errno));
  return 1;
}

void WriteStandardError(const std::string& text) { std::fputs(text.c_str(), stderr); }
#endif

}  // namespace orbivane
