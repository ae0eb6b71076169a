// The file layer on POSIX systems: the calls of os_file.h on the C library.
#include "os_file.h"

#include "interrupt_slots.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <dirent.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace orbivane {

namespace {

int OpenPath(const std::string& path, int flags, int mode = 0666) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The open was non-blocking only so that a FIFO cannot hang it; reads and
// writes block as usual.
void ClearNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kFolder;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISFIFO(mode)) return FileKind::kFifo;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

void FillInfo(const struct stat& st, FileInfo& info) {
  info.exists = true;
  info.kind = KindOf(st.st_mode);
  info.regular = info.kind == FileKind::kRegular;
  info.directory = info.kind == FileKind::kFolder;
  info.device = static_cast<std::uint64_t>(st.st_dev);
  info.inode = static_cast<std::uint64_t>(st.st_ino);
  info.mode = static_cast<unsigned>(st.st_mode) & 07777u;
  info.modified = static_cast<std::int64_t>(st.st_mtime);
}

// Root may write anything, yet a file its owner made read-only is kept as
// Windows keeps a read-only one; another user asks the system.
bool IsWriteProtected(const std::string& path, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return false;
  const uid_t user = ::geteuid();
  if (user == 0 || user == st.st_uid) return (st.st_mode & S_IWUSR) == 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

}  // namespace

std::string SystemReason(int error) { return std::generic_category().message(error); }

int StatPath(const std::string& path, FileInfo& info) {
  info = FileInfo{};
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return (errno == ENOENT || errno == ENOTDIR) ? 0 : errno;
  FillInfo(st, info);
  info.writeProtected = IsWriteProtected(path, st);
  return 0;
}

int StatStandardStream(int stream, FileInfo& info) {
  info = FileInfo{};
  struct stat st;
  if (::fstat(stream, &st) != 0) return errno;
  FillInfo(st, info);
  return 0;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

OsFile::~OsFile() {
  if (fd_ >= 0) ::close(fd_);
}

OsFile::OsFile(OsFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OsFile& OsFile::operator=(OsFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

int OsFile::OpenForReading(const std::string& path) {
  fd_ = OpenPath(path, O_RDONLY | O_NONBLOCK);
  if (fd_ < 0) return errno;
  ClearNonBlocking(fd_);
  return 0;
}

int OsFile::OpenStandardStream(int stream) {
  fd_ = ::fcntl(stream, F_DUPFD_CLOEXEC, 0);
  return fd_ < 0 ? errno : 0;
}

int OsFile::OpenExistingForWriting(const std::string& path, bool truncate) {
  // Non-blocking open: a FIFO without a reader fails at once (ENXIO) instead of
  // hanging the program.
  fd_ = OpenPath(path, O_WRONLY | O_NONBLOCK | (truncate ? O_TRUNC : 0));
  if (fd_ < 0) return errno;
  ClearNonBlocking(fd_);
  return 0;
}

int OsFile::OpenOrCreateForUpdate(const std::string& path) {
  fd_ = OpenPath(path, O_RDWR | O_CREAT);
  return fd_ < 0 ? errno : 0;
}

int OsFile::CreateExclusive(const std::string& path) {
  fd_ = OpenPath(path, O_WRONLY | O_CREAT | O_EXCL);
  return fd_ < 0 ? errno : 0;
}

int OsFile::CreateUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
  fd_ = OpenPath(folder.empty() ? "." : folder, O_WRONLY | O_TMPFILE);
  return fd_ < 0 ? errno : 0;
#else
  (void)folder;
  return EOPNOTSUPP;
#endif
}

int OsFile::LinkAs(const std::string& path) {
#ifdef O_TMPFILE
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  const int error = errno;
  // Without /proc mounted the descriptor itself can name the file, but only
  // for a privileged process.
  if (error == ENOENT && ::linkat(fd_, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return 0;
  return error;
#else
  (void)path;
  return EOPNOTSUPP;
#endif
}

std::ptrdiff_t OsFile::Read(void* buffer, std::size_t size, int& error) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

int OsFile::WriteAll(const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int OsFile::Sync() {
  return ::fsync(fd_) == 0 ? 0 : errno;
}

int OsFile::Info(FileInfo& info) const {
  info = FileInfo{};
  struct stat st;
  if (::fstat(fd_, &st) != 0) return errno;
  FillInfo(st, info);
  return 0;
}

int OsFile::Size(std::uint64_t& size) const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return errno;
  size = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

int OsFile::Truncate(std::uint64_t size) {
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int OsFile::SeekToEnd() {
  return ::lseek(fd_, 0, SEEK_END) < 0 ? errno : 0;
}

int OsFile::SetMode(unsigned mode) {
  return ::fchmod(fd_, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
}

namespace {

int Lock(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno == EINTR) continue;
    // A file system that keeps no locks (some network shares) is used as it is.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) return 0;
    return errno;
  }
  return 0;
}

}  // namespace

int OsFile::LockShared() { return Lock(fd_, LOCK_SH); }

int OsFile::LockExclusive() { return Lock(fd_, LOCK_EX); }

int OsFile::TryLockExclusive() {
  const int err = Lock(fd_, LOCK_EX | LOCK_NB);
  return err == EAGAIN ? EWOULDBLOCK : err;
}

int OsFile::SetModifiedTime(std::int64_t seconds) {
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
  return ::futimens(fd_, times) == 0 ? 0 : errno;
}

int OsFile::Close() {
  if (fd_ < 0) return 0;
  const int fd = std::exchange(fd_, -1);
  // POSIX leaves the descriptor closed even when close fails, so it is never retried.
  return ::close(fd) == 0 ? 0 : errno;
}

bool IsReservedDeviceName(const std::string&) { return false; }

int RenameFile(const std::string& from, const std::string& to) {
  // The folder's permission would let the file be replaced; its own says no.
  if (struct stat st; ::stat(to.c_str(), &st) == 0 && IsWriteProtected(to, st)) return EACCES;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

std::string ResolvedPath(const std::string& path) {
  std::string current = path;
  // A link to a missing file resolves to the file it names, as a write
  // through the link would create it.
  for (int hop = 0; hop < 40; ++hop) {
    if (char* resolved = ::realpath(current.c_str(), nullptr)) {
      std::string result(resolved);
      std::free(resolved);
      return result;
    }
    char target[4096];
    const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof target) break;
    const std::size_t slash = current.rfind('/');
    current = (target[0] == '/' || slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
              std::string(target, static_cast<std::size_t>(n));
  }
  return current;
}

int CurrentDirectory(std::string& directory) {
  char* cwd = ::getcwd(nullptr, 0);
  if (cwd == nullptr) return errno;
  directory = cwd;
  std::free(cwd);
  return 0;
}

int ListFolder(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return errno;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int error = errno;
  ::closedir(dir);
  return error;
}

std::string ProcessHost() {
  char name[256] = "";
  if (::gethostname(name, sizeof name - 1) != 0) name[0] = '\0';
  // Containers on one kernel share its boot and often its host name, not their process ids.
  char space[64] = "";
  const ssize_t n = ::readlink("/proc/self/ns/pid", space, sizeof space - 1);
  return std::string(name) + "/" + std::string(space, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool ProcessIsGone(long long id) {
  if (id <= 0 || id != static_cast<pid_t>(id)) return false;
  if (::kill(static_cast<pid_t>(id), 0) != 0) return errno == ESRCH;
  // A process that has ended stays a zombie until its parent waits for it,
  // which the new parent of an orphan may never do: "pid (name) Z ...".
  OsFile stat;
  char text[512];
  int error = 0;
  if (stat.OpenForReading("/proc/" + std::to_string(id) + "/stat") != 0) return false;
  const std::ptrdiff_t n = stat.Read(text, sizeof text, error);
  const std::string_view line(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  const std::size_t name = line.rfind(") ");
  return name != std::string_view::npos && name + 2 < line.size() && line[name + 2] == 'Z';
}

// Only the Windows installer looks for a running program.
void MarkProgramRunning() {}

namespace {

InterruptSlots<char, 4096> g_interruptSlots;

extern "C" void RemoveAndEnd(int number) {
  g_interruptSlots.ForEachArmed([](const char* path) { ::unlink(path); });
  // Blocked while the handler runs, the signal ends the process on return.
  ::signal(number, SIG_DFL);
  ::raise(number);
}

void InstallInterruptHandler() {
  static const bool installed = [] {
    for (const int number : {SIGINT, SIGTERM}) {
      struct sigaction old {};
      if (::sigaction(number, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveAndEnd;
      sigemptyset(&action.sa_mask);
      sigaddset(&action.sa_mask, SIGINT);
      sigaddset(&action.sa_mask, SIGTERM);
      action.sa_flags = SA_RESTART;
      ::sigaction(number, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
}

}  // namespace

int RemoveOnInterrupt(const std::string& path) {
  InstallInterruptHandler();
  return g_interruptSlots.Arm(path);
}

void KeepOnInterrupt(int slot) { g_interruptSlots.Disarm(slot); }

}  // namespace orbivane
