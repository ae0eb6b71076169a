#include "catalog_writer.h"

#include "file_message.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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

// A name beside the target that no other run picks at the same time:
// ".NAME.PROCESS-COUNTER-TICKS.tmp".
std::string TemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  // Long names are shortened so that the temporary name stays within the
  // system's limit for one name.
  return FolderOf(target) + "." + NameOf(target).substr(0, 100) + "." + std::to_string(getpid()) + "-" +
         std::to_string(counter++) + "-" + std::to_string((ticks + attempt) % 100000) + ".tmp";
}

// Whether `name` is of TemporaryName's making, and for which process.
bool TemporaryOwner(const std::string& name, long long& process) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() <= kSuffix.size() || name.front() != '.' || !name.ends_with(kSuffix)) return false;
  const std::string_view stem(name.data(), name.size() - kSuffix.size());
  const std::size_t dot = stem.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  int dashes = 0;
  bool digits = false;
  process = 0;
  for (const char c : stem.substr(dot + 1)) {
    if (c >= '0' && c <= '9' && (dashes > 0 || process < 1000000000000)) {
      if (dashes == 0) process = process * 10 + (c - '0');
      digits = true;
    } else if (c == '-' && digits && dashes < 2) {
      ++dashes;
      digits = false;
    } else {
      return false;
    }
  }
  return dashes == 2 && digits;
}

// Temporary files of runs that were killed before they could delete them.
void RemoveLeftovers(const std::string& folder) {
  std::vector<std::string> names;
  if (ListFolder(folder.empty() ? "." : folder, names) != 0) return;
  for (const std::string& name : names) {
    long long process = 0;
    if (TemporaryOwner(name, process) && process != getpid() && ProcessIsGone(process)) RemoveFile(folder + name);
  }
}

}  // namespace

CatalogWriter::~CatalogWriter() { Abandon(); }

Status CatalogWriter::Open(const std::string& path) {
  path_ = path;
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
  FileInfo info;
  if (const int err = StatPath(path, info); err != 0) {
    return Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  if (info.exists && !info.regular) {
    inPlace_ = true;
    if (const int err = file_.OpenExistingForWriting(path, true); err != 0) {
      return Status::Failure(FileMessage("create", "catalog file", path, err));
    }
    return Status::Ok();
  }

  // Replace the file a link points to, not the link.
  target_ = info.exists ? ResolvedPath(path) : path;
  const std::string folder = FolderOf(target_);
  RemoveLeftovers(folder);
  int err = file_.CreateUnnamed(folder);
  if (err != 0) {
    // The file system wants a name from the start.
    err = EEXIST;
    for (unsigned attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
      temporary_ = TemporaryName(target_, attempt);
      err = file_.CreateExclusive(temporary_);
    }
    if (err == 0) interruptSlot_ = RemoveOnInterrupt(temporary_);
  }
  if (err != 0) {
    temporary_.clear();
    if (info.exists && (err == EACCES || err == EPERM || err == EROFS)) {
      return Status::Failure("Cannot replace catalog file \"" + path + "\": its folder \"" + FolderText(folder) +
                             "\" does not allow creating the new file beside it: " + SystemReason(err));
    }
    return Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  // A replaced catalog keeps its permissions.
  if (info.exists) file_.SetMode(info.mode);
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

int CatalogWriter::NameTemporary() {
  int err = EEXIST;
  for (unsigned attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    temporary_ = TemporaryName(target_, attempt);
    err = file_.LinkAs(temporary_);
  }
  if (err != 0) {
    temporary_.clear();
    return err;
  }
  interruptSlot_ = RemoveOnInterrupt(temporary_);
  return 0;
}

Status CatalogWriter::Commit() {
  Flush();
  if (error_ == 0 && !inPlace_) error_ = file_.Sync();
  if (error_ == 0 && !inPlace_ && temporary_.empty()) error_ = NameTemporary();
  if (const int err = file_.Close(); error_ == 0) error_ = err;
  if (error_ == 0 && !inPlace_) {
    error_ = RenameFile(temporary_, target_);
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
