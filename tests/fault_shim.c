/* Fails chosen file calls of the test program it is linked into: the nth call
 * (from 1) of one kind on a file whose path contains a given text fails with a
 * given error number. A partial write stores half of its bytes; the next
 * matching write fails then, as on a disk that fills up. The calls are made
 * with raw system calls, so that they replace the C library's for the program. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

static struct Fault {
  const char* call;
  const char* path;
  long nth, seen;
  int error, partial, failNext;
} g;

/* The texts must live until the next call. */
void orbivane_fault_arm(const char* call, const char* path, long nth, int error, int partial) {
  g = (struct Fault){call, path, nth, 0, error, partial, 0};
}

/* Matching calls since arming: the armed one was reached when this is at least nth. */
long orbivane_fault_seen(void) { return g.seen; }

/* 0: carry the call out; 1: fail it; 2: carry out half of a write. */
static int Decide(const char* call, const char* path) {
  if (g.nth == 0 || strcmp(call, g.call) != 0 || strstr(path, g.path) == NULL) return 0;
  if (++g.seen == g.nth) return g.partial ? 2 : 1;
  const int fail = g.failNext;
  g.failNext = 0;
  return fail;
}

static int DecideFd(const char* call, int fd) {
  char link[64];
  char path[4200] = "";
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (g.nth != 0) syscall(SYS_readlinkat, AT_FDCWD, link, path, sizeof path - 1);
  return Decide(call, path);
}

#define FAIL (errno = g.error, -1)

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, int) : 0;
  va_end(args);
  return Decide("open", path) ? FAIL : (int)syscall(SYS_openat, AT_FDCWD, path, flags, mode);
}

ssize_t read(int fd, void* to, size_t n) { return DecideFd("read", fd) ? FAIL : syscall(SYS_read, fd, to, n); }

ssize_t write(int fd, const void* data, size_t size) {
  const int verdict = DecideFd("write", fd);
  if (verdict == 1 || (verdict == 2 && size < 2)) return FAIL;
  g.failNext = verdict == 2;
  return syscall(SYS_write, fd, data, verdict == 2 ? size / 2 : size);
}

int fsync(int fd) { return DecideFd("fsync", fd) ? FAIL : (int)syscall(SYS_fsync, fd); }

/* A failed close still closes the descriptor, as POSIX leaves it. */
int close(int fd) {
  const int verdict = DecideFd("close", fd);
  const long result = syscall(SYS_close, fd);
  return verdict ? FAIL : (int)result;
}

int rename(const char* from, const char* to) {
  return Decide("rename", to) ? FAIL : (int)syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to);
}

int unlink(const char* path) { return Decide("unlink", path) ? FAIL : (int)syscall(SYS_unlinkat, AT_FDCWD, path, 0); }

off_t lseek(int fd, off_t at, int whence) { return DecideFd("lseek", fd) ? FAIL : syscall(SYS_lseek, fd, at, whence); }

int ftruncate(int fd, off_t size) { return DecideFd("ftruncate", fd) ? FAIL : (int)syscall(SYS_ftruncate, fd, size); }
