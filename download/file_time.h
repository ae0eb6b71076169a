// Modification times of files (and the write-back of a growing one), in seconds since 1970 (UTC): the unchanged
// check reads the target's, and a download gives its files the server's
// Last-Modified. file_time.cpp on POSIX, file_time_win.cpp on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace orbivane {

// 0 and the time, or the system's error number (ENOENT for a missing file).
int FileModifiedTime(const std::string& path, std::int64_t& seconds);
int SetFileModifiedTime(const std::string& path, std::int64_t seconds);
// Starts writing the file's cached bytes to disk without waiting for them, so
// that the flush before a replace has little left to do. Nothing where the
// system has no such call.
void StartWriteBack(const std::string& path);

}  // namespace orbivane
