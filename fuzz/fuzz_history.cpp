// Any bytes as a history file: the list shows its whole records, newest on top, each cell its slot's text
// up to a NUL or the slot's end; an append keeps them and puts the new record last, its path cut to its end.
#undef NDEBUG
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

#include "catalog.h"
#include "test_files.h"

using orbivane::testing::FakeServices;

static void Load(const std::string& folder, const std::string& file) {
  FakeServices services;
  orbivane::CCatalog catalog(services, folder);
  assert(catalog.LoadHistory().ok());
  assert(services.rows.size() == file.size() / 500);
  for (std::size_t i = 0; i < services.rows.size(); ++i) {
    const char* r = file.data() + file.size() / 500 * 500 - (i + 1) * 500;
    const auto slot = [r](std::size_t at, std::size_t n) { return std::string(r + at, strnlen(r + at, n)); };
    assert((services.rows[i] == FakeServices::Row{slot(0, 30), slot(30, 150), slot(180, 300), slot(480, 20)}));
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const orbivane::testing::ScratchDir dir;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  orbivane::testing::WriteFile(dir / "history", bytes);
  Load(dir.path(), bytes);
  // As many of the last bytes as twice the first byte says, up to a NUL: paths of up to 510 bytes.
  std::string path = bytes.substr(size - std::min<std::size_t>(size, size > 0 ? data[0] * 2u : 0));
  path = path.substr(0, path.find('\0'));
  const orbivane::HistoryRecord record = orbivane::MakeHistoryRecord({2001, 12, 6, 1, 45, 9}, path, "1-5", 30000);
  const std::string stored = orbivane::SlotText(record.szCatalogFile);
  assert(record.szCatalogFile[149] == '\0');
  assert(path.size() < 150 ? stored == path : path.ends_with(stored) && stored.size() >= 146);
  FakeServices services;
  assert(orbivane::CCatalog(services, dir.path()).AppendHistory(record).ok());
  const std::string after = orbivane::testing::ReadFile(dir / "history");
  assert(after == bytes.substr(0, size - size % 500) + std::string(reinterpret_cast<const char*>(&record), 500));
  return 0;
}
