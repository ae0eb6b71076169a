// The conversion run behind Start: one pass over the source, one record per
// selected line, then the run goes into the history.
#include <cstdint>
#include <string>
#include <string_view>

#include "astorb_record.h"
#include "catalog.h"
#include "catalog_writer.h"
#include "file_message.h"
#include "named_stream.h"
#include "output_clash.h"
#include "os_file.h"
#include "progress_ticker.h"
#include "selection_cursor.h"
#include "source_lines.h"

namespace orbivane {

StartOutcome CCatalog::ConvertCatalog() {
  const std::int32_t highest = m_filter.HighestNumber();
  ProgressTicker progress(m_services, highest);

  const auto refuse = [this](const std::string& message) {
    m_services.ShowMessage(message);
    return StartOutcome{StartResult::kRunRefused};
  };

  OsFile source;
  if (const int err = OpenSource(source, m_strSourcePath); err != 0) {
    return refuse(FileMessage("open", "source catalog", m_strSourcePath, err));
  }
  if (const std::string clash = OutputClash(m_strSourcePath, m_strOutputPath, HistoryFilePath()); !clash.empty()) {
    return refuse(clash);
  }
  CatalogWriter output;
  if (Status opened = output.Open(m_strOutputPath); !opened) return refuse(opened.message());

  SourceLines reader(source);
  SelectionCursor selection(m_filter);
  StartOutcome outcome{StartResult::kConverted};
  std::string record;
  std::string_view line;
  // Entry n of the source (line n of an ASTORB source, its n-th orbit line of
  // an MPCORB one) is asteroid entry n; entries past the highest number are
  // never read, and a source that ends early ends the run.
  std::int64_t n = 1;
  for (; n <= highest && reader.Next(line); ++n) {
    progress.Line(n);
    if (!selection.IsSelected(n)) continue;
    if (outcome.records != 0) output.Write("\r\n");
    ++outcome.records;
    record.clear();
    AppendCatalogRecord(reader.format(), line, record);
    output.Write(record);
    if (output.failed()) break;
    if (outcome.records == kMaxRecords) {
      m_services.ShowMessage(kRecordCapMessage);
      outcome.capped = true;
      break;
    }
  }
  if (reader.failed()) return refuse(reader.FailureMessage(m_strSourcePath));
  if (Status committed = output.Commit(); !committed) return refuse(committed.message());

  const LocalTime now = m_services.CurrentTime();
  const Status recorded =
      AppendHistory(MakeHistoryRecord(now, m_strOutputPath, m_strFilter, outcome.records));
  if (!recorded) {
    m_services.ShowMessage("The catalog was written, but the run could not be added to the history. " +
                           recorded.message());
    outcome.result = StartResult::kNotRecorded;
  }
  return outcome;
}

}  // namespace orbivane
