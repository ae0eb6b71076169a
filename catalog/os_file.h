// A thin layer over the operating system's file calls. Every call reports the
// system's error number (0 on success) so that callers can name the reason;
// nothing here buffers, so what a call returns is what the system did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbivane {

// The system's text for an error number, e.g. "No space left on device". On
// Windows, a number below zero is a Windows error code with no C twin (a file
// another program holds open, say), negated.
std::string SystemReason(int error);

enum class FileKind { kMissing, kRegular, kFolder, kDevice, kFifo, kSocket, kOther };

struct FileInfo {
  bool exists = false;
  bool regular = false;
  bool directory = false;
  FileKind kind = FileKind::kMissing;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  unsigned mode = 0;  // permission bits
  std::int64_t modified = 0;  // seconds since 1970 (UTC)
  // The user may not write it: its owner's write permission is off (for root
  // too, as Windows' read-only attribute holds for everyone) or, for another
  // user, the system refuses writing. Known only from StatPath.
  bool writeProtected = false;
};

// Follows symbolic links; a missing file gives exists == false and error 0.
int StatPath(const std::string& path, FileInfo& info);

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;
// What the standard input or output is (a file, a pipe, a terminal).
int StatStandardStream(int stream, FileInfo& info);

// What a file that is not a regular one is, for a message: "a folder", "a
// device", "a FIFO", "a socket"; "not a regular file" for anything else.
inline std::string KindText(FileKind kind) {
  switch (kind) {
    case FileKind::kFolder:
      return "a folder";
    case FileKind::kDevice:
      return "a device";
    case FileKind::kFifo:
      return "a FIFO";
    case FileKind::kSocket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// True when the path's last component is a symbolic link (on Windows, a
// reparse point: a link or a junction).
bool IsSymbolicLink(const std::string& path);

// Two infos of one file (of files that exist).
inline bool SameFile(const FileInfo& a, const FileInfo& b) {
  return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

// An open file descriptor, closed when the object goes away.
class OsFile {
 public:
  OsFile() = default;
  ~OsFile();
  OsFile(OsFile&& other) noexcept;
  OsFile& operator=(OsFile&& other) noexcept;
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  // Opens for reading. A FIFO without a writer opens at once and reads as empty
  // instead of blocking the program.
  int OpenForReading(const std::string& path);
  // The process's standard input (kStandardInput) or output (kStandardOutput)
  // as a file of its own: closing it leaves the stream open.
  int OpenStandardStream(int stream);
  // Opens an existing file for writing without creating it; truncates when asked.
  int OpenExistingForWriting(const std::string& path, bool truncate);
  // Opens for reading and writing, creating the file when it is missing.
  int OpenOrCreateForUpdate(const std::string& path);
  // Creates a new file that must not exist yet.
  int CreateExclusive(const std::string& path);
  // Creates a file without a name in `folder`: it goes with the process unless
  // LinkAs names it. Fails where the system or the file system has none.
  int CreateUnnamed(const std::string& folder);
  // Gives a file made by CreateUnnamed the name `path`, which must not exist.
  int LinkAs(const std::string& path);

  bool is_open() const { return fd_ >= 0; }

  // Reads up to size bytes; returns the count (0 at the end) or -1 with error set.
  std::ptrdiff_t Read(void* buffer, std::size_t size, int& error);
  int WriteAll(const void* data, std::size_t size);
  int Sync();
  int Info(FileInfo& info) const;
  int Size(std::uint64_t& size) const;
  int Truncate(std::uint64_t size);
  int SeekToEnd();
  int SetMode(unsigned mode);
  // Advisory locks on the whole file: shared for readers, exclusive for one
  // writer; each waits for the other kind. A lock ends with Close or with the
  // process, however it ends. A file system without locks is used unlocked.
  int LockShared();
  int LockExclusive();
  // The exclusive lock without waiting: EWOULDBLOCK when another holds a lock
  // on the file. On a file system without locks, 0.
  int TryLockExclusive();
  // Gives the file this modification time (seconds since 1970, UTC).
  int SetModifiedTime(std::int64_t seconds);
  // Closes now and reports the close's own error (a delayed write error, say).
  int Close();

 private:
  int fd_ = -1;
};

// True for a file name that Windows keeps for a device other than NUL: CON,
// PRN, AUX, COM1 to COM9 and LPT1 to LPT9, with any extension. Always false
// elsewhere.
bool IsReservedDeviceName(const std::string& name);

// Moves `from` over `to` in one step. A write-protected `to` (see FileInfo)
// is not replaced: EACCES.
int RenameFile(const std::string& from, const std::string& to);
// Deletes a file; a missing file gives ENOENT.
int RemoveFile(const std::string& path);
// The path with symbolic links resolved, or the path itself where that fails.
// A link to a missing file gives the path of the file it names.
std::string ResolvedPath(const std::string& path);
int CurrentDirectory(std::string& directory);
// The names in a folder, without "." and "..".
int ListFolder(const std::string& folder, std::vector<std::string>& names);
// What tells the processes of this system from those of another that share a
// folder with it (another machine, or a container with process ids of its
// own): the host's name and, on Linux, its process-id namespace. Process ids
// mean something only together with it.
std::string ProcessHost();
// True only when no process with this id runs any more; one that has ended
// and is not yet waited for (a zombie) has gone too.
bool ProcessIsGone(long long id);

// Marks, until the process ends however it ends, that an Orbivane program runs. On Windows this is the named
// mutex "Orbivane.Running" of the user's session, which the installer and the uninstaller
// (res/orbivane-setup.nsi) look for before they replace or remove the programs; elsewhere nothing.
void MarkProgramRunning();

// Until KeepOnInterrupt, an interrupt (SIGINT, SIGTERM) deletes the file at
// `path` before the process ends as the signal asks. Returns a slot for
// KeepOnInterrupt, or -1 when the path cannot be kept (then nothing is done).
// A signal the program handles or ignores itself is left to it.
int RemoveOnInterrupt(const std::string& path);
void KeepOnInterrupt(int slot);

}  // namespace orbivane
