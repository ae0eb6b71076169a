// A small source and a filter through the whole Start command, on real files.
// Input: the filter text up to the first LF, then the source's bytes.
//
// Checked against a plain reading of the same bytes: the records are those of
// the selected lines that exist, in line order, at most 30000, joined by
// CR LF with none at the end; the history gets exactly one record of the run
// holding that count; no temporary file is left; a refused filter writes
// nothing. (A run that reaches the 30000 cap takes a second under the
// sanitizers, which would leave the fuzzer a few runs a second; the cap has
// its own tests in tests/conversion_test.cpp and tests/cli_test.cpp.)
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "astorb_record.h"
#include "catalog.h"
#include "fuzz_support.h"
#include "history_file.h"
#include "line_reader.h"

namespace {

using namespace orbivane;
using orbivane::fuzz::RecordingServices;

// The source's lines as text-mode reading gives them.
std::vector<std::string_view> Lines(std::string_view source) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < source.size()) {
    const std::size_t lf = source.find('\n', at);
    std::string_view line = source.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line.substr(0, kMaxLineLength));
    if (lf == std::string_view::npos) break;
    at = lf + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t lf = input.find('\n');
  const std::string filter(input.substr(0, lf));
  const std::string source(lf == std::string_view::npos ? std::string_view() : input.substr(lf + 1));

  const std::string& folder = fuzz::ScratchFolder();
  const std::string sourcePath = folder + "/astorb.dat";
  const std::string outputPath = folder + "/out.slc";
  fuzz::WriteBytes(sourcePath, source);
  fuzz::Remove(outputPath);
  fuzz::Remove(folder + "/history");

  RecordingServices services;
  CCatalog catalog(services, folder);
  catalog.m_strFilter = filter;
  catalog.m_strSourcePath = sourcePath;
  catalog.m_strOutputPath = outputPath;
  const StartOutcome outcome = catalog.OnStart();

  FilterTable table;
  const FilterVerdict verdict = table.ParseFilter(filter);
  if (verdict != FilterVerdict::kParsed || table.m_nRanges == 0) {
    FUZZ_CHECK(outcome.result != StartResult::kConverted, "a run without a range");
    FUZZ_CHECK(fuzz::Names(folder) == "astorb.dat", "files after a refused start: %s", fuzz::Names(folder).c_str());
    return 0;
  }
  if (source.size() >= 2 && source[0] == '\x1f' && source[1] == '\x8b') {
    // A compressed source: a run that reaches damage is refused, naming the
    // file, and leaves nothing; a run that converts records what it wrote.
    if (outcome.result == StartResult::kRunRefused) {
      const std::string prefix = "Cannot read source catalog \"" + sourcePath + "\": Compressed data damaged at line ";
      FUZZ_CHECK(services.messages.size() == 1 && services.messages[0].rfind(prefix, 0) == 0, "refusal message");
      FUZZ_CHECK(fuzz::Names(folder) == "astorb.dat", "files after a refused run: %s", fuzz::Names(folder).c_str());
      return 0;
    }
    FUZZ_CHECK(outcome.result == StartResult::kConverted, "result %d", static_cast<int>(outcome.result));
    FUZZ_CHECK(services.rows.size() == 1 && services.rows[0][3] == std::to_string(outcome.records), "list row");
    return 0;
  }
  FUZZ_CHECK(outcome.result == StartResult::kConverted, "result %d", static_cast<int>(outcome.result));

  const std::vector<std::string_view> lines = Lines(source);
  std::string expected;
  int records = 0;
  const std::int64_t last = std::min<std::int64_t>(table.HighestNumber(), static_cast<std::int64_t>(lines.size()));
  for (std::int64_t n = 1; n <= last && records < kMaxRecords; ++n) {
    if (!table.IsSelected(static_cast<std::int32_t>(n))) continue;
    if (records++ != 0) expected += "\r\n";
    AppendCatalogRecord(lines[static_cast<std::size_t>(n - 1)], expected);
  }
  FUZZ_CHECK(outcome.records == records, "%d records, expected %d", outcome.records, records);
  FUZZ_CHECK(outcome.capped == (records == kMaxRecords), "cap flag");
  FUZZ_CHECK(services.messages.size() == (records == kMaxRecords ? 1u : 0u), "%zu messages", services.messages.size());
  FUZZ_CHECK(fuzz::ReadBytes(outputPath) == expected, "catalog differs from the selected lines' records");
  FUZZ_CHECK(fuzz::Names(folder) == "astorb.dat history out.slc", "files: %s", fuzz::Names(folder).c_str());
  for (int pos : services.positions) FUZZ_CHECK(pos >= 0 && pos <= services.upper, "bar at %d of %d", pos, services.upper);

  const std::string history = fuzz::ReadBytes(folder + "/history");
  FUZZ_CHECK(history.size() == kHistoryRecordSize, "history of %zu bytes", history.size());
  HistoryRecord stored;
  std::copy(history.begin(), history.end(), reinterpret_cast<char*>(&stored));
  FUZZ_CHECK(SlotText(stored.szNumber) == std::to_string(records), "szNumber %s", SlotText(stored.szNumber).c_str());
  FUZZ_CHECK(SlotText(stored.szFilter) == filter.substr(0, 299), "szFilter");
  FUZZ_CHECK(services.rows.size() == 1 && services.rows[0][3] == std::to_string(records), "list row");
  return 0;
}
