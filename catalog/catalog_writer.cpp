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

// A name beside the target that no other run picks at the same time.
std::string TemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  // Long names are shortened so that the temporary name stays within the
  // system's limit for one name.
  return FolderOf(target) + "." + NameOf(target).substr(0, 100) + "." + std::to_string(getpid()) + "-" +
         std::to_string(counter++) + "-" + std::to_string((ticks + attempt) % 100000) + ".tmp";
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
  FileInfo info;
  if (const int err = StatPath(path, info); err != 0) {
    return Status::Failure(FileMessage("create", "catalog file", path, err));
  }
  if (info.exists && !info.regular) {
    if (const int err = file_.OpenExistingForWriting(path, true); err != 0) {
      return Status::Failure(FileMessage("create", "catalog file", path, err));
    }
    return Status::Ok();
  }

  // Replace the file a link points to, not the link.
  target_ = info.exists ? ResolvedPath(path) : path;
  int err = EEXIST;
  for (unsigned attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    temporary_ = TemporaryName(target_, attempt);
    err = file_.CreateExclusive(temporary_);
  }
  if (err != 0) {
    temporary_.clear();
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

Status CatalogWriter::Commit() {
  Flush();
  if (error_ == 0 && !temporary_.empty()) error_ = file_.Sync();
  if (const int err = file_.Close(); error_ == 0) error_ = err;
  if (error_ == 0 && !temporary_.empty()) {
    error_ = RenameFile(temporary_, target_);
    if (error_ == 0) temporary_.clear();
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
}

}  // namespace orbivane
