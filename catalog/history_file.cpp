#include "history_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_message.h"
#include "os_file.h"

namespace orbivane {

namespace {

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

template <std::size_t N>
void FillSlot(char (&slot)[N], std::string_view text, bool keepEnd) {
  std::memset(slot, 0, N);
  if (text.size() > N - 1) {
    if (keepEnd) {
      text = text.substr(text.size() - (N - 1));
      // Do not start inside a UTF-8 character. A character has at most three
      // continuation bytes; a longer run is not UTF-8 and is kept as it is.
      for (int i = 0; i < 3 && !text.empty() && IsUtf8Continuation(text.front()); ++i) text.remove_prefix(1);
    } else {
      text = text.substr(0, N - 1);
      for (int i = 0; i < 3 && !text.empty() && IsUtf8Continuation(text.back()); ++i) text.remove_suffix(1);
    }
  }
  text.copy(slot, text.size());
}

}  // namespace

HistoryRecord MakeHistoryRecord(const LocalTime& time, std::string_view catalogFile, std::string_view filter,
                                int number) {
  HistoryRecord record;
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %02d:%02d:%02d", time.month, time.day, time.year, time.hour,
                time.minute, time.second);
  FillSlot(record.szDateTime, text, false);
  FillSlot(record.szCatalogFile, catalogFile, true);
  FillSlot(record.szFilter, filter, false);
  std::snprintf(text, sizeof text, "%d", number);
  FillSlot(record.szNumber, text, false);
  return record;
}

std::string HistoryPath(const std::string& workDir) {
#ifdef _WIN32
  constexpr char kSeparator = '\\';
  const bool endsWithSeparator = !workDir.empty() && (workDir.back() == '\\' || workDir.back() == '/');
#else
  constexpr char kSeparator = '/';
  const bool endsWithSeparator = !workDir.empty() && workDir.back() == '/';
#endif
  return endsWithSeparator ? workDir + "history" : workDir + kSeparator + "history";
}

Status ReadHistoryFile(const std::string& path, std::vector<HistoryRecord>& records) {
  records.clear();
  OsFile file;
  if (const int err = file.OpenForReading(path); err != 0) {
    if (err == ENOENT) return Status::Ok();
    return Status::Failure(FileMessage("read", "history file", path, err));
  }
  // An append under way finishes its record first.
  if (const int err = file.LockShared(); err != 0) {
    return Status::Failure(FileMessage("read", "history file", path, err));
  }
  // Many records a read: a long history is one read a few hundred records.
  std::vector<HistoryRecord> chunk(128);
  std::size_t filled = 0;  // bytes in the chunk
  for (;;) {
    int err = 0;
    char* const bytes = reinterpret_cast<char*>(chunk.data());
    const std::ptrdiff_t n = file.Read(bytes + filled, chunk.size() * kHistoryRecordSize - filled, err);
    if (n < 0) return Status::Failure(FileMessage("read", "history file", path, err));
    if (n == 0) return Status::Ok();  // a partial record at the end is not shown
    filled += static_cast<std::size_t>(n);
    const std::size_t whole = filled / kHistoryRecordSize;
    records.insert(records.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(whole));
    filled -= whole * kHistoryRecordSize;
    std::memmove(bytes, bytes + whole * kHistoryRecordSize, filled);
  }
}

namespace {

// Opens the file at `path` for an append and locks it, so that other runs,
// the window's and the command line's alike, wait until the record is whole.
// A file deleted (cleared) while this run waited for it is left alone, and
// the append goes to the file that has the name now.
int OpenLockedForAppend(const std::string& path, OsFile& file) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    int err = file.OpenOrCreateForUpdate(path);
    if (err == 0) err = file.LockExclusive();
    FileInfo opened;
    FileInfo named;
    if (err == 0) err = file.Info(opened);
    if (err == 0) err = StatPath(path, named);
    if (err != 0) return err;
    if (named.exists && named.device == opened.device && named.inode == opened.inode) return 0;
    file.Close();
  }
  return EAGAIN;
}

}  // namespace

Status AppendHistoryFile(const std::string& path, const HistoryRecord& record) {
  OsFile file;
  // The lock is held from the realignment to the close: no other run writes
  // at the same end or cuts a record that is still being written.
  int err = OpenLockedForAppend(path, file);
  std::uint64_t size = 0;
  if (err == 0) err = file.Size(size);
  if (err == 0 && size % kHistoryRecordSize != 0) {
    size -= size % kHistoryRecordSize;
    err = file.Truncate(size);
  }
  if (err == 0) err = file.SeekToEnd();
  if (err == 0) {
    err = file.WriteAll(&record, kHistoryRecordSize);
    // A record written in part would shift every later one: take it back.
    if (err != 0) file.Truncate(size);
  }
  if (const int closeErr = file.Close(); err == 0 && closeErr != 0) {
    err = closeErr;
    // The record may be in the file although its close failed. It is reported
    // as not stored and gets no row, so take it back: file and list agree.
    // The close ended the lock; the file is cut only while it still ends with
    // this record, so that no other run's record goes.
    OsFile again;
    std::uint64_t now = 0;
    if (again.OpenExistingForWriting(path, false) == 0 && again.LockExclusive() == 0 && again.Size(now) == 0 &&
        now == size + kHistoryRecordSize) {
      again.Truncate(size);
    }
  }
  if (err != 0) return Status::Failure(FileMessage("write", "history file", path, err));
  return Status::Ok();
}

Status DeleteHistoryFile(const std::string& path) {
  const int err = RemoveFile(path);
  if (err != 0 && err != ENOENT) return Status::Failure(FileMessage("delete", "history file", path, err));
  return Status::Ok();
}

}  // namespace orbivane
