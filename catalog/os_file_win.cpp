// The file layer on Windows: the calls of os_file.h on the Win32 API.
//
// Paths are UTF-8 everywhere else in the program; they become UTF-16 here and
// nowhere else. Errors come back as C error numbers where one means the same
// (a missing file is ENOENT on every system, and the callers test for it); a
// Windows error without such a twin comes back negated, and SystemReason
// gives the system's own text for it.
#include "os_file.h"

#include "interrupt_slots.h"

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace orbivane {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t* text, std::size_t size) {
  if (size == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

int ErrorNumber(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return -static_cast<int>(code);
  }
}

int LastError() { return ErrorNumber(GetLastError()); }

// Opening or deleting a folder as a file fails with "access denied"; the real
// reason is that it is a folder.
int FailureOn(const std::string& path) {
  const DWORD code = GetLastError();
  if (code == ERROR_ACCESS_DENIED) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
  }
  return ErrorNumber(code);
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// A folder opens for reading as it does elsewhere; reading or locking it then fails.
bool IsFolder(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION data;
  return GetFileInformationByHandle(handle, &data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kEpochTicks = 116444736000000000;  // 1601-01-01 to 1970-01-01

void FillInfo(HANDLE handle, FileInfo& info) {
  info.exists = true;
  BY_HANDLE_FILE_INFORMATION data;
  // Devices (NUL, CON) and pipes have no file identity and are written in place.
  const DWORD type = GetFileType(handle);
  info.kind = type == FILE_TYPE_CHAR ? FileKind::kDevice : type == FILE_TYPE_PIPE ? FileKind::kFifo : FileKind::kOther;
  if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &data)) return;
  info.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.regular = !info.directory;
  info.kind = info.directory ? FileKind::kFolder : FileKind::kRegular;
  info.writeProtected = info.regular && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info.device = data.dwVolumeSerialNumber;
  info.inode = (static_cast<std::uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
  const std::int64_t ticks = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime;
  info.modified = (ticks - kEpochTicks) / kTicksPerSecond;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Folders open only with FILE_FLAG_BACKUP_SEMANTICS.
HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

// A handle that only asks about the file (no read or write access), so it
// neither needs permission nor disturbs other programs that have it open.
HANDLE OpenForQuery(const std::string& path) {
  return Open(path, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

// Reads and writes go in pieces a DWORD can count.
DWORD Piece(std::size_t size) { return size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size); }

// A replace that failed with "access denied" names the reason more exactly
// when another program holds the target open without letting it be
// replaced, the usual case for a catalog a planetarium program has loaded.
int ReplaceFailure(const std::string& target) {
  const DWORD code = GetLastError();
  if (code != ERROR_ACCESS_DENIED) return ErrorNumber(code);
  const HANDLE probe = Open(target, DELETE, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return EACCES;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION ? ErrorNumber(ERROR_SHARING_VIOLATION) : EACCES;
}

// The object keeps the C runtime's descriptor of the handle, so that it has
// one shape on every system; the calls below work on the handle itself.
int Adopt(HANDLE handle, const std::string& path, int& fd) {
  if (handle == INVALID_HANDLE_VALUE) return FailureOn(path);
  fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return EMFILE;
  }
  return 0;
}

}  // namespace

std::string SystemReason(int error) {
  if (error >= 0) return std::generic_category().message(error);
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(-error), 0, reinterpret_cast<wchar_t*>(&text), 0,
                                 nullptr);
  std::string reason = n > 0 ? Narrow(text, n) : "Windows error " + std::to_string(-error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason;
}

int StatPath(const std::string& path, FileInfo& info) {
  info = FileInfo{};
  const HANDLE handle = OpenForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) {
    const int err = LastError();
    return err == ENOENT ? 0 : err;
  }
  FillInfo(handle, info);
  CloseHandle(handle);
  return 0;
}

OsFile::~OsFile() {
  if (fd_ >= 0) _close(fd_);
}

OsFile::OsFile(OsFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OsFile& OsFile::operator=(OsFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) _close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

int OsFile::OpenForReading(const std::string& path) {
  HANDLE handle = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
  // A folder opens, as it does elsewhere, and reading it says what it is.
  if (handle == INVALID_HANDLE_VALUE) {
    if (const int err = FailureOn(path); err != EISDIR) return err;
    handle = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  }
  return Adopt(handle, path, fd_);
}

int OsFile::OpenStandardStream(int stream) {
  const HANDLE own = GetStdHandle(stream == kStandardInput ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (own == nullptr || own == INVALID_HANDLE_VALUE) return EBADF;
  if (!DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return LastError();
  }
  return Adopt(copy, "", fd_);
}

int OsFile::OpenExistingForWriting(const std::string& path, bool truncate) {
  if (const int err = Adopt(Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), path, fd_); err != 0) {
    return err;
  }
  // Devices such as NUL have no length to cut.
  return truncate && GetFileType(HandleOf(fd_)) == FILE_TYPE_DISK ? Truncate(0) : 0;
}

int OsFile::OpenOrCreateForUpdate(const std::string& path) {
  // Other runs open the history at the same time and wait for its lock;
  // clearing it deletes it under them, as elsewhere.
  return Adopt(Open(path, GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_ALWAYS), path, fd_);
}

int OsFile::CreateExclusive(const std::string& path) {
  // Sharing deletion lets an interrupt delete the file while it is written.
  return Adopt(Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW), path, fd_);
}

// Windows has no file without a name that could be given one later: the
// temporary file is named from the start.
int OsFile::CreateUnnamed(const std::string&) { return EOPNOTSUPP; }

int OsFile::LinkAs(const std::string&) { return EOPNOTSUPP; }

std::ptrdiff_t OsFile::Read(void* buffer, std::size_t size, int& error) {
  DWORD n = 0;
  if (ReadFile(HandleOf(fd_), buffer, Piece(size), &n, nullptr)) return static_cast<std::ptrdiff_t>(n);
  const DWORD code = GetLastError();
  // The writer of a pipe has gone: that is its end.
  if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;
  error = IsFolder(HandleOf(fd_)) ? EISDIR : ErrorNumber(code);
  return -1;
}

int OsFile::WriteAll(const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD n = 0;
    if (!WriteFile(HandleOf(fd_), p, Piece(size), &n, nullptr)) return LastError();
    if (n == 0) return EIO;
    p += n;
    size -= n;
  }
  return 0;
}

int OsFile::Sync() { return FlushFileBuffers(HandleOf(fd_)) ? 0 : LastError(); }

int OsFile::Info(FileInfo& info) const {
  info = FileInfo{};
  FillInfo(HandleOf(fd_), info);
  return 0;
}

int OsFile::Size(std::uint64_t& size) const {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(HandleOf(fd_), &length)) return LastError();
  size = static_cast<std::uint64_t>(length.QuadPart);
  return 0;
}

int OsFile::Truncate(std::uint64_t size) {
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(HandleOf(fd_), FileEndOfFileInfo, &end, sizeof end) ? 0 : LastError();
}

int OsFile::SeekToEnd() {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(HandleOf(fd_), zero, nullptr, FILE_END) ? 0 : LastError();
}

// The one permission of a Windows file is its read-only attribute, and a
// read-only catalog is never replaced: the new file has nothing to keep.
int OsFile::SetMode(unsigned) { return 0; }

namespace {

// Windows' byte-range locks are mandatory: a locked range refuses other
// handles' reads and writes. One byte far past any history's end stands for
// the whole file, so that the lock only orders the runs, as elsewhere.
int Lock(int fd, DWORD flags) {
  OVERLAPPED at{};
  at.Offset = 0xFFFFFFFEu;
  at.OffsetHigh = 0x7FFFFFFFu;
  if (LockFileEx(HandleOf(fd), flags, 0, 1, 0, &at)) return 0;
  const DWORD code = GetLastError();
  if (IsFolder(HandleOf(fd))) return EISDIR;
  // A file system that keeps no locks (some network shares) is used as it is.
  return code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION ? 0 : ErrorNumber(code);
}

}  // namespace

int OsFile::LockShared() { return Lock(fd_, 0); }

int OsFile::LockExclusive() { return Lock(fd_, LOCKFILE_EXCLUSIVE_LOCK); }

int OsFile::TryLockExclusive() {
  const int err = Lock(fd_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY);
  return err == -static_cast<int>(ERROR_LOCK_VIOLATION) ? EWOULDBLOCK : err;
}

// Set through the handle that wrote the file, the time is not replaced by the
// time of its close.
int OsFile::SetModifiedTime(std::int64_t seconds) {
  const std::int64_t ticks = seconds * kTicksPerSecond + kEpochTicks;
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  return SetFileTime(HandleOf(fd_), nullptr, nullptr, &time) ? 0 : LastError();
}

int OsFile::Close() {
  if (fd_ < 0) return 0;
  const int fd = std::exchange(fd_, -1);
  return _close(fd) == 0 ? 0 : errno;
}

bool IsReservedDeviceName(const std::string& name) {
  // The device is the part before the first dot or colon, blanks at its end left off.
  std::string device = name.substr(0, name.find_first_of(".:"));
  device.erase(device.find_last_not_of(' ') + 1);
  for (char& c : device) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  if (device == "CON" || device == "PRN" || device == "AUX") return true;
  return device.size() == 4 && (device.rfind("COM", 0) == 0 || device.rfind("LPT", 0) == 0) && device[3] >= '1' &&
         device[3] <= '9';
}

int RenameFile(const std::string& from, const std::string& to) {
  // A read-only file is not replaced, as Explorer refuses to replace it
  // (Wine's MoveFileEx would, and drop the attribute).
  const DWORD attributes = GetFileAttributesW(Wide(to).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return EACCES;
  // Atomic on the local file systems: either the old file or the new one is
  // there under the name, never neither.
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return ReplaceFailure(to);
}

int StatStandardStream(int stream, FileInfo& info) {
  info = FileInfo{};
  const HANDLE handle = GetStdHandle(stream == kStandardInput ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return EBADF;
  FillInfo(handle, info);
  return 0;
}

bool IsSymbolicLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

int RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) ? 0 : FailureOn(path); }

std::string ResolvedPath(const std::string& path) {
  const HANDLE handle = OpenForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  if (n >= resolved.size()) {
    resolved.resize(n);
    n = GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  }
  CloseHandle(handle);
  if (n == 0 || n >= resolved.size()) return path;
  resolved.resize(n);
  // The system answers in its long-path form: \\?\C:\... or \\?\UNC\server\...
  if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    resolved.replace(0, 8, L"\\\\");
  } else if (resolved.rfind(L"\\\\?\\", 0) == 0 && resolved.size() >= 6 && resolved[5] == L':') {
    resolved.erase(0, 4);
  }
  return Narrow(resolved.data(), resolved.size());
}

int CurrentDirectory(std::string& directory) {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return LastError();
  std::wstring wide(n, L'\0');
  const DWORD written = GetCurrentDirectoryW(n, wide.data());
  if (written == 0 || written >= n) return LastError();
  directory = Narrow(wide.data(), written);
  return 0;
}

int ListFolder(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(Wide(folder + "\\*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return LastError();
  do {
    const std::string name = Narrow(found.cFileName, wcslen(found.cFileName));
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  const DWORD code = GetLastError();
  FindClose(search);
  return code == ERROR_NO_MORE_FILES ? 0 : ErrorNumber(code);
}

std::string ProcessHost() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) size = 0;
  return Narrow(name, size);
}

bool ProcessIsGone(long long id) {
  if (id <= 0 || id > 0xFFFFFFFFll) return false;
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  // A process that has ended lives on as an object while anyone holds it.
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

void MarkProgramRunning() {
  // Never closed: Windows closes it when the process ends, and the name lives while any program holds it.
  static const HANDLE mark = CreateMutexW(nullptr, FALSE, L"Orbivane.Running");
  (void)mark;
}

namespace {

InterruptSlots<wchar_t, 32768> g_interruptSlots;

// Ctrl+C, Ctrl+Break or the console window closing: the file goes (it was
// opened sharing deletion, so it goes when the process closes it), and the
// next handler, the system's, ends the process.
BOOL WINAPI RemoveAndEnd(DWORD) {
  g_interruptSlots.ForEachArmed([](const wchar_t* path) { DeleteFileW(path); });
  return FALSE;
}

}  // namespace

int RemoveOnInterrupt(const std::string& path) {
  static const bool installed = SetConsoleCtrlHandler(RemoveAndEnd, TRUE);
  return installed ? g_interruptSlots.Arm(Wide(path)) : -1;
}

void KeepOnInterrupt(int slot) { g_interruptSlots.Disarm(slot); }

}  // namespace orbivane
