// The `history` file: one 500-byte record per compilation run, oldest first,
// no header. Each record holds four NUL-terminated single-byte texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "status.h"
#include "window_services.h"

namespace orbivane {

struct HistoryRecord {
  char szDateTime[30];      // "12/6/2001 01:45:09": month/day/year hh:mm:ss
  char szCatalogFile[150];  // full path of the catalog written
  char szFilter[300];       // the filter as typed
  char szNumber[20];        // records written, "%d"
};
static_assert(sizeof(HistoryRecord) == 500, "history records are 500 bytes on disk");

inline constexpr std::size_t kHistoryRecordSize = sizeof(HistoryRecord);

// Fills a record; texts too long for their slot are cut so that the NUL stays
// inside it, the path keeping its end (the file name), the others their start.
// The bytes after each NUL are zero.
HistoryRecord MakeHistoryRecord(const LocalTime& time, std::string_view catalogFile, std::string_view filter,
                                int number);

// The text of a slot: up to its NUL, or the whole slot when it has none.
template <std::size_t N>
std::string SlotText(const char (&slot)[N]) {
  std::size_t length = 0;
  while (length < N && slot[length] != '\0') ++length;
  return std::string(slot, length);
}

// The working directory joined with "history".
std::string HistoryPath(const std::string& workDir);

// The whole records of the file, in file order; stray bytes at the end are
// not a record. A missing file holds no record.
Status ReadHistoryFile(const std::string& path, std::vector<HistoryRecord>& records);

// Appends one record, creating the file when it is missing. A file whose
// length is not a whole number of records (an interrupted write) is first cut
// back to its last whole record, so that every record reads back aligned.
Status AppendHistoryFile(const std::string& path, const HistoryRecord& record);

// Deletes the file; a missing file is no error.
Status DeleteHistoryFile(const std::string& path);

}  // namespace orbivane
