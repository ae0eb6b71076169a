// Arbitrary bytes as a history file, through LoadHistory and AppendHistory.
// The rows are the whole records, newest on top, each cell the slot's text up
// to its NUL or its end; after an append the file is the old whole records
// plus the new one, and every record reads back aligned. The appended
// record's texts come from the input too, so long and odd paths and filters
// are cut into their slots.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "catalog.h"
#include "fuzz_support.h"
#include "history_file.h"

namespace {

using namespace orbivane;

std::string Slot(std::string_view record, std::size_t offset, std::size_t size) {
  const std::string_view slot = record.substr(offset, size);
  return std::string(slot.substr(0, slot.find('\0')));
}

void CheckRows(const fuzz::RecordingServices& services, const std::string& file) {
  const std::size_t whole = file.size() / kHistoryRecordSize;
  FUZZ_CHECK(services.rows.size() == whole, "%zu rows for %zu bytes", services.rows.size(), file.size());
  for (std::size_t i = 0; i < whole; ++i) {
    const std::string_view record = std::string_view(file).substr((whole - 1 - i) * kHistoryRecordSize, kHistoryRecordSize);
    const auto& row = services.rows[i];
    FUZZ_CHECK(row[0] == Slot(record, 0, 30) && row[1] == Slot(record, 30, 150) && row[2] == Slot(record, 180, 300) &&
                   row[3] == Slot(record, 480, 20),
               "row %zu differs from its record", i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& folder = fuzz::ScratchFolder();
  const std::string path = folder + "/history";
  fuzz::WriteBytes(path, bytes);

  fuzz::RecordingServices services;
  CCatalog catalog(services, folder);
  FUZZ_CHECK(catalog.LoadHistory().ok(), "load failed");
  CheckRows(services, bytes);

  // The new record's path and filter: the input's last bytes, of lengths set
  // by its first two bytes, so that texts of any length up to 510 occur.
  const std::size_t pathLength = size > 0 ? data[0] * 2u : 0;
  const std::size_t filterLength = size > 1 ? data[1] * 2u : 0;
  // Paths and filters are C strings everywhere: they end at a NUL.
  std::string catalogFile = bytes.substr(bytes.size() - std::min(bytes.size(), pathLength));
  std::string filter = bytes.substr(bytes.size() - std::min(bytes.size(), filterLength));
  catalogFile = catalogFile.substr(0, catalogFile.find('\0'));
  filter = filter.substr(0, filter.find('\0'));
  const HistoryRecord record = MakeHistoryRecord(LocalTime{2001, 12, 6, 1, 45, 9}, catalogFile, filter, 30000);
  FUZZ_CHECK(record.szDateTime[29] == '\0' && record.szCatalogFile[149] == '\0' && record.szFilter[299] == '\0' &&
                 record.szNumber[19] == '\0',
             "a slot without its NUL");
  const std::string storedPath = SlotText(record.szCatalogFile);
  const std::string& pathText = catalogFile;
  FUZZ_CHECK(pathText.size() < 150 ? storedPath == pathText
                                   : pathText.size() >= storedPath.size() &&
                                         pathText.compare(pathText.size() - storedPath.size(), std::string::npos, storedPath) == 0 &&
                                         storedPath.size() >= 146,
             "a long path keeps its end");
  const std::string& filterText = filter;
  const std::string storedFilter = SlotText(record.szFilter);
  // Only filter symbols reach the history; other bytes are cut anywhere.
  const bool ascii = std::all_of(filterText.begin(), filterText.end(), [](char c) { return (c & 0x80) == 0; });
  FUZZ_CHECK(!ascii || filterText.compare(0, storedFilter.size(), storedFilter) == 0 &&
                 (filterText.size() < 300 ? storedFilter == filterText : storedFilter.size() >= 296),
             "a long filter keeps its start");

  FUZZ_CHECK(catalog.AppendHistory(record).ok(), "append failed");
  const std::string after = fuzz::ReadBytes(path);
  const std::size_t kept = bytes.size() - bytes.size() % kHistoryRecordSize;
  FUZZ_CHECK(after.size() == kept + kHistoryRecordSize, "%zu bytes after the append", after.size());
  FUZZ_CHECK(after.compare(0, kept, bytes, 0, kept) == 0, "a whole record before the append changed");
  FUZZ_CHECK(std::memcmp(after.data() + kept, &record, kHistoryRecordSize) == 0, "the record is not at the end");
  FUZZ_CHECK(services.rows.size() == kept / kHistoryRecordSize + 1 && services.rows[0][2] == storedFilter,
             "the new row is not on top");

  fuzz::RecordingServices reloaded;
  CCatalog again(reloaded, folder);
  FUZZ_CHECK(again.LoadHistory().ok(), "reload failed");
  CheckRows(reloaded, after);
  return 0;
}
