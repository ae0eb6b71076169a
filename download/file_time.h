// Modification times of files, in seconds since 1970 (UTC): the unchanged
// check reads the target's, and a download gives its files the server's
// Last-Modified. file_time.cpp on POSIX, file_time_win.cpp on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orbivane {

// 0 and the time, or the system's error number (ENOENT for a missing file).
int FileModifiedTime(const std::string& path, std::int64_t& seconds);
int SetFileModifiedTime(const std::string& path, std::int64_t seconds);

}  // namespace orbivane
