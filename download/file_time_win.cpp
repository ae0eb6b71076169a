#include "file_time.h"

#include <windows.h>

#include <cerrno>

namespace orbivane {

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kEpochTicks = 116444736000000000;  // 1601-01-01 to 1970-01-01

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
  wide.pop_back();
  return wide;
}

int Reason() { return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EIO; }

}  // namespace

int FileModifiedTime(const std::string& path, std::int64_t& seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return Reason();
  const std::int64_t ticks =
      (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  seconds = (ticks - kEpochTicks) / kTicksPerSecond;
  return 0;
}

int SetFileModifiedTime(const std::string& path, std::int64_t seconds) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Reason();
  const std::int64_t ticks = seconds * kTicksPerSecond + kEpochTicks;
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const BOOL set = SetFileTime(file, nullptr, nullptr, &time);
  const int err = set ? 0 : Reason();
  CloseHandle(file);
  return err;
}

void StartWriteBack(const std::string&) {}

}  // namespace orbivane
