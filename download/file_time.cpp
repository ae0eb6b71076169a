#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // sync_file_range
#endif
#include "file_time.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orbivane {

int FileModifiedTime(const std::string& path, std::int64_t& seconds) {
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) return errno;
  seconds = st.st_mtime;
  return 0;
}

int SetFileModifiedTime(const std::string& path, std::int64_t seconds) {
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

void StartWriteBack(const std::string& path) {
#ifdef __linux__
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  close(fd);
#else
  (void)path;
#endif
}

}  // namespace orbivane
