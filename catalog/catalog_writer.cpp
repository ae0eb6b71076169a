#include "catalog_writer.h"

#include "file_message.h"
#include "file_replacement.h"
#include "named_stream.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace orbivane {

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder as the user reads it: no separator at its end.
std::string FolderText(const std::string& folder) {
  if (folder.empty()) return ".";
  const std::size_t last = folder.find_last_not_of(kSeparators);
  return last == std::string::npos ? folder.substr(0, 1) : folder.substr(0, last + 1);
}

// The start of every temporary name for the target: long names are shortened
// so that the temporary name stays within the system's limit for one name.
std::string TemporaryStem(const std::string& target) { return "." + NameOf(target).substr(0, 100) + "."; }

// A hash of a temporary name's start (FNV-1a), in five digits.
unsigned NameCheck(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash % 100000;
}

// Whether `name`, in the target's folder, is a temporary file that TemporaryName made for the target on this
// host, and for which process: the name must be exactly the one it makes, check included.
bool IsTemporaryOf(const std::string& target, const std::string& name, long long& process) {
  const std::string stem = TemporaryStem(target);
  if (!name.starts_with(stem)) return false;
  const char* const end = name.data() + name.size();
  const auto [afterProcess, processError] = std::from_chars(name.data() + stem.size(), end, process);
  if (processError != std::errc() || afterProcess == end || *afterProcess != '-') return false;
  unsigned serial = 0;
  if (std::from_chars(afterProcess + 1, end, serial).ec != std::errc()) return false;
  return NameOf(TemporaryName(target, process, serial, ProcessHost())) == name;
}

// Temporary files for this target of runs that were killed before they could delete them. Only what is
// certainly such a file goes: of this target's name, in TemporaryName's exact form, of a process of this host
// that is gone. A folder shared with another machine or container holds files of its processes too, whose ids
// say nothing here.
void RemoveLeftovers(const std::string& target) {
  const std::string folder = FolderOf(target);
  std::vector<std::string> names;
  if (ListFolder(folder.empty() ? "." : folder, names) != 0) return;
  for (const std::string& name : names) {
    long long process = 0;
    if (IsTemporaryOf(target, name, process) && process != getpid() && ProcessIsGone(process)) {
      RemoveFile(folder + name);
    }
  }
}

// A serial number for the process's next temporary name.
unsigned NextSerial() {
  static std::atomic<unsigned> counter{0};
  return counter++;
}

}  // namespace

std::string TemporaryName(const std::string& target, long long process, unsigned serial, const std::string& host) {
  const std::string start = TemporaryStem(target) + std::to_string(process) + "-" + std::to_string(serial);
  return FolderOf(target) + start + "-" + std::to_string(NameCheck(start + "@" + host)) + ".tmp";
}

CatalogWriter::~CatalogWriter() { Abandon(); }

Status CatalogWriter::Open(const std::string& path) {
  path_ = path;
  // The standard output is written in place, whatever it is: the records go where it goes.
  if (IsStandardStreamName(path)) {
    inPlace_ = true;
    const int err = file_.OpenStandardStream(kStandardOutput);
    return err == 0 ? Status::Ok() : Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  // A name that ends in a separator names a folder, never this file: the
  // name without the separator is not written either.
  if (!path.empty() && std::strchr(kSeparators, path.back()) != nullptr) {
    FileInfo named;
    StatPath(path.substr(0, path.find_last_not_of(kSeparators) + 1), named);
    return Status::Failure(
        FileMessage("create", "catalog file", path, named.exists && !named.directory ? ENOTDIR : EISDIR));
  }
  // Such a name is a device, not a file: the records would go to the console or a port.
  if (IsReservedDeviceName(NameOf(path))) {
    return Status::Failure(FileMessage("create", "catalog file", path,
                                       "the name is reserved for a device on Windows; choose another name"));
  }
  if (const int err = LookAtReplacedFile(path, replaced_); err != 0) {
    return Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  const FileInfo& info = replaced_.info;
  if (info.exists && !info.regular) {
    inPlace_ = true;
    if (const int err = file_.OpenExistingForWriting(path, true); err != 0) {
      return Status::Failure(FileMessage("create", "catalog file", path, err));
    }
    return Status::Ok();
  }

  const std::string& target = replaced_.path;
  const std::string folder = FolderOf(target);
  RemoveLeftovers(target);
  // Refused before the work rather than at its end; the replace itself checks again.
  if (info.writeProtected) return Status::Failure(FileMessage("write", "catalog file", path, EACCES));
  int err = file_.CreateUnnamed(folder);
  if (err != 0) {
    // The file system wants a name from the start.
    err = NameTemporary(&OsFile::CreateExclusive);
  }
  if (err != 0) {
    temporary_.clear();
    if (info.exists && (err == EACCES || err == EPERM || err == EROFS)) {
      return Status::Failure("Cannot replace catalog file \"" + path + "\": its folder \"" + FolderText(folder) +
                             "\" does not allow creating the new file beside it: " + SystemReason(err));
    }
    return Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  KeepPermissions(replaced_, file_);
  return Status::Ok();
}

void CatalogWriter::WriteSlow(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kBufferSize) Flush();
    const std::size_t n = std::min(text.size(), kBufferSize - used_);
    text.copy(buffer_ + used_, n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void CatalogWriter::Flush() {
  if (error_ == 0 && used_ > 0) error_ = file_.WriteAll(buffer_, used_);
  used_ = 0;
}

Status CatalogWriter::WriteFailure() const {
  return Status::Failure(FileMessage("write", "catalog file", path_, error_));
}

int CatalogWriter::NameTemporary(int (OsFile::*make)(const std::string&)) {
  int err = EEXIST;
  for (unsigned attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    temporary_ = TemporaryName(replaced_.path, getpid(), NextSerial(), ProcessHost());
    // Armed before the file has the name, so that no interrupt finds it named and not armed. A name taken
    // already holds this process's id: it was left by a run that is gone.
    interruptSlot_ = RemoveOnInterrupt(temporary_);
    err = (file_.*make)(temporary_);
    if (err != 0) KeepOnInterrupt(std::exchange(interruptSlot_, -1));
  }
  if (err != 0) temporary_.clear();
  return err;
}

Status CatalogWriter::Commit() {
  Flush();
  if (error_ == 0 && !inPlace_) error_ = file_.Sync();
  if (error_ == 0 && !inPlace_ && temporary_.empty()) error_ = NameTemporary(&OsFile::LinkAs);
  if (const int err = file_.Close(); error_ == 0) error_ = err;
  if (error_ == 0 && !inPlace_) {
    error_ = MoveIntoPlace(replaced_, temporary_);
    if (error_ == 0) {
      temporary_.clear();
      KeepOnInterrupt(std::exchange(interruptSlot_, -1));
    }
  }
  if (error_ != 0) {
    const Status failure = WriteFailure();
    Abandon();
    return failure;
  }
  return Status::Ok();
}

void CatalogWriter::Abandon() {
  file_.Close();
  if (!temporary_.empty()) {
    RemoveFile(temporary_);
    temporary_.clear();
  }
  KeepOnInterrupt(std::exchange(interruptSlot_, -1));
}

}  // namespace orbivane
