#include "part_file.h"

#include <cerrno>

namespace orbivane {

PartFile::~PartFile() { file_.Close(); }

int PartFile::Own() {
  // Between the open and the lock, the download that held the part may have
  // replaced or deleted it: then the name is opened again.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (const int err = file_.OpenOrCreateForUpdate(path_); err != 0) return err;
    if (const int err = file_.TryLockExclusive(); err != 0) {
      file_.Close();
      return err;
    }
    if (StillOurs()) return 0;
    file_.Close();
  }
  return EWOULDBLOCK;
}

std::int64_t PartFile::Size() const {
  std::uint64_t size = 0;
  return file_.is_open() && file_.Size(size) == 0 ? static_cast<std::int64_t>(size) : 0;
}

int PartFile::StartOver() {
  const int err = file_.Truncate(0);
  return err != 0 ? err : file_.SeekToEnd();
}

bool PartFile::StillOurs() const {
  FileInfo held;
  FileInfo named;
  return file_.is_open() && file_.Info(held) == 0 && StatPath(path_, named) == 0 && SameFile(held, named);
}

void PartFile::Drop() {
  if (!file_.is_open()) return;
  if (StillOurs()) RemoveFile(path_);
  file_.Close();
}

void PartFile::Keep() {
  if (Size() == 0) {
    Drop();
  } else {
    file_.Close();
  }
}

}  // namespace orbivane
