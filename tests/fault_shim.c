/* Fails chosen file calls of the program under test, to prove what it does
 * when the disk is full, a device reports an I/O error or a rename is refused.
 *
 * The shim defines open, read, write, fsync, close, rename, unlink, lseek and
 * ftruncate itself and carries them out with raw system calls, so it works
 * both linked into a test program and preloaded into orbivane-cli with
 * LD_PRELOAD. Calls that the C library makes internally (stdio) are not seen.
 *
 * One fault at a time: the nth call (counted from 1) of one kind on a file
 * whose path contains a given text fails with a given error number.
 *   sticky:  every later matching call fails too (a disk that stays full);
 *   partial: the nth write stores half of its bytes and reports that count,
 *            the next matching write fails (how a filling disk behaves).
 * A failed close still closes the descriptor, as POSIX leaves it.
 *
 * Faults are chosen by the file's name, and a file made without a name has
 * none: while armed, the shim is a file system without unnamed files
 * (O_TMPFILE fails with EOPNOTSUPP), so the program names its files from the
 * start and every call on them can be failed.
 *
 * Preloaded, it is armed from the environment:
 *   ORBIVANE_FAULT_CALL   open, read, write, fsync, close, rename, unlink,
 *                         lseek or ftruncate
 *   ORBIVANE_FAULT_PATH   text the file's path must contain
 *   ORBIVANE_FAULT_NTH    which matching call fails (default 1)
 *   ORBIVANE_FAULT_ERRNO  the error number (default EIO)
 *   ORBIVANE_FAULT_MODE   "sticky" or "partial" (optional)
 *   ORBIVANE_FAULT_REPORT a file that gets one line per failed call, so that
 *                         a test learns whether its fault was reached
 * Linked in, a test arms it through fault_shim.h. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "fault_shim.h"

#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

enum { kPathMax = 4096 + 64 };

static struct {
  int armed;
  char call[16];
  char pathPart[kPathMax];
  long nth;
  int error;
  int flags;
  long seen;
  long fired;
  int failNextWrite; /* set by a partial write */
  char report[kPathMax];
} g_fault;

static long Sys(long number, long a, long b, long c, long d) {
  return syscall(number, a, b, c, d, 0L);
}

static void Report(const char* call, long n) {
  if (g_fault.report[0] == '\0') return;
  char line[64];
  const int length = snprintf(line, sizeof line, "%s %ld\n", call, n);
  const int saved = errno;
  const long fd = Sys(SYS_openat, AT_FDCWD, (long)g_fault.report, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd >= 0) {
    Sys(SYS_write, fd, (long)line, length, 0);
    Sys(SYS_close, fd, 0, 0, 0);
  }
  errno = saved;
}

void orbivane_fault_arm(const char* call, const char* pathPart, long nth, int error, int flags) {
  memset(&g_fault, 0, sizeof g_fault);
  snprintf(g_fault.call, sizeof g_fault.call, "%s", call);
  snprintf(g_fault.pathPart, sizeof g_fault.pathPart, "%s", pathPart);
  g_fault.nth = nth;
  g_fault.error = error;
  g_fault.flags = flags;
  g_fault.armed = 1;
}

void orbivane_fault_disarm(void) { g_fault.armed = 0; }
long orbivane_fault_fired(void) { return g_fault.fired; }
long orbivane_fault_seen(void) { return g_fault.seen; }

__attribute__((constructor)) static void ArmFromEnvironment(void) {
  const char* call = getenv("ORBIVANE_FAULT_CALL");
  const char* path = getenv("ORBIVANE_FAULT_PATH");
  if (call == NULL || path == NULL) return;
  const char* nth = getenv("ORBIVANE_FAULT_NTH");
  const char* error = getenv("ORBIVANE_FAULT_ERRNO");
  const char* mode = getenv("ORBIVANE_FAULT_MODE");
  const char* report = getenv("ORBIVANE_FAULT_REPORT");
  int flags = 0;
  if (mode != NULL && strcmp(mode, "sticky") == 0) flags = kFaultSticky;
  if (mode != NULL && strcmp(mode, "partial") == 0) flags = kFaultPartial;
  orbivane_fault_arm(call, path, nth ? atol(nth) : 1, error ? atoi(error) : EIO, flags);
  if (report != NULL) snprintf(g_fault.report, sizeof g_fault.report, "%s", report);
}

enum Verdict { kPass, kFail, kPartial };

static int Matches(const char* call, const char* path) {
  return g_fault.armed && strcmp(call, g_fault.call) == 0 && path != NULL && strstr(path, g_fault.pathPart) != NULL;
}

static enum Verdict Decide(const char* call, const char* path) {
  if (!Matches(call, path)) return kPass;
  const long n = ++g_fault.seen;
  enum Verdict verdict = kPass;
  if (n == g_fault.nth) {
    verdict = (g_fault.flags & kFaultPartial) && strcmp(call, "write") == 0 ? kPartial : kFail;
  } else if (n > g_fault.nth && ((g_fault.flags & kFaultSticky) || g_fault.failNextWrite)) {
    g_fault.failNextWrite = 0;
    verdict = kFail;
  }
  if (verdict != kPass) {
    ++g_fault.fired;
    Report(call, n);
  }
  return verdict;
}

/* The path behind a descriptor, or NULL. */
static const char* PathOf(int fd, char* buffer, size_t size) {
  if (!g_fault.armed) return NULL;
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const long n = Sys(SYS_readlinkat, AT_FDCWD, (long)link, (long)buffer, (long)size - 1);
  if (n < 0) return NULL;
  buffer[n] = '\0';
  return buffer;
}

static enum Verdict DecideFd(const char* call, int fd) {
  if (!g_fault.armed || strcmp(call, g_fault.call) != 0) return kPass;
  char path[kPathMax];
  return Decide(call, PathOf(fd, path, sizeof path));
}

static long Failed(void) {
  errno = g_fault.error;
  return -1;
}

static int OpenAt(int dirfd, const char* path, int flags, mode_t mode) {
  if (g_fault.armed && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (Decide("open", path) != kPass) return (int)Failed();
  return (int)Sys(SYS_openat, dirfd, (long)path, flags, mode);
}

static mode_t ModeOf(int flags, va_list args) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(args, int) : 0;
}

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenAt(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenAt(AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenAt(dirfd, path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t size) {
  if (DecideFd("read", fd) != kPass) return Failed();
  return Sys(SYS_read, fd, (long)buffer, (long)size, 0);
}

ssize_t write(int fd, const void* data, size_t size) {
  switch (DecideFd("write", fd)) {
    case kPass: break;
    case kFail: return Failed();
    case kPartial:
      if (size < 2) return Failed();
      g_fault.failNextWrite = 1;
      return Sys(SYS_write, fd, (long)data, (long)(size / 2), 0);
  }
  return Sys(SYS_write, fd, (long)data, (long)size, 0);
}

int fsync(int fd) {
  if (DecideFd("fsync", fd) != kPass) return (int)Failed();
  return (int)Sys(SYS_fsync, fd, 0, 0, 0);
}

int close(int fd) {
  const enum Verdict verdict = DecideFd("close", fd);
  const long result = Sys(SYS_close, fd, 0, 0, 0);
  if (verdict != kPass) return (int)Failed();
  return (int)result;
}

int rename(const char* from, const char* to) {
  if (Matches("rename", to) ? Decide("rename", to) != kPass : Decide("rename", from) != kPass) return (int)Failed();
#ifdef SYS_renameat2
  return (int)Sys(SYS_renameat2, AT_FDCWD, (long)from, AT_FDCWD, (long)to);
#else
  return (int)Sys(SYS_renameat, AT_FDCWD, (long)from, AT_FDCWD, (long)to);
#endif
}

int unlink(const char* path) {
  if (Decide("unlink", path) != kPass) return (int)Failed();
  return (int)Sys(SYS_unlinkat, AT_FDCWD, (long)path, 0, 0);
}

off_t lseek(int fd, off_t offset, int whence) {
  if (DecideFd("lseek", fd) != kPass) return (off_t)Failed();
  return (off_t)Sys(SYS_lseek, fd, (long)offset, whence, 0);
}

off64_t lseek64(int fd, off64_t offset, int whence) { return (off64_t)lseek(fd, (off_t)offset, whence); }

int ftruncate(int fd, off_t length) {
  if (DecideFd("ftruncate", fd) != kPass) return (int)Failed();
  return (int)Sys(SYS_ftruncate, fd, (long)length, 0, 0);
}

int ftruncate64(int fd, off64_t length) { return ftruncate(fd, (off_t)length); }
