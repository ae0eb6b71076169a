// The conversion run behind Start: one pass over the source, one record per
// selected line, then the run goes into the history.
#include <cstdint>
#include <string>
#include <string_view>

#include "astorb_record.h"
#include "catalog.h"
#include "catalog_writer.h"
#include "file_message.h"
#include "line_reader.h"
#include "named_stream.h"
#include "os_file.h"
#include "progress_ticker.h"
#include "selection_cursor.h"

namespace orbivane {

namespace {

// Writing the catalog over its own source would empty the source before it
// is read; over the history file, the append that follows would cut it and
// mix it with the run's record. Two paths name one file when both exist as
// the same file, or when neither exists and their folders resolve to the
// same folder and their names are equal. "-" is the standard stream of its
// side (input for the source, output for the catalog).
bool IsSamePlace(const std::string& a, int streamA, const std::string& b, int streamB) {
  FileInfo infoA;
  FileInfo infoB;
  if (StatNamed(a, streamA, infoA) != 0 || StatNamed(b, streamB, infoB) != 0) return false;
  if (infoA.exists != infoB.exists) return false;
  // A terminal or a pipe on both sides is no file to lose.
  if (infoA.exists) return infoA.regular && SameFile(infoA, infoB);
  const auto place = [](const std::string& named) {
    const std::string path = ResolvedPath(named);  // a link to a missing file is the file it would create
    const std::size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return ResolvedPath(folder) + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
  };
  return place(a) == place(b);
}

}  // namespace

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
  if (IsSamePlace(m_strSourcePath, kStandardInput, m_strOutputPath, kStandardOutput)) {
    return refuse("The catalog file \"" + m_strOutputPath +
                  "\" is the source catalog itself; choose another name for the new catalog.");
  }
  if (IsSamePlace(m_strOutputPath, kStandardOutput, HistoryFilePath(), kStandardOutput)) {
    return refuse("The catalog file \"" + m_strOutputPath +
                  "\" is the history file; choose another name for the new catalog.");
  }
  CatalogWriter output;
  if (Status opened = output.Open(m_strOutputPath); !opened) return refuse(opened.message());

  LineReader reader(source);
  SelectionCursor selection(m_filter);
  StartOutcome outcome{StartResult::kConverted};
  std::string record;
  std::string_view line;
  // Line n of the source is asteroid entry n; lines past the highest number
  // are never read, and a source that ends early ends the run.
  std::int64_t n = 1;
  for (; n <= highest && reader.Next(line); ++n) {
    progress.Line(n);
    if (!selection.IsSelected(n)) continue;
    if (outcome.records != 0) output.Write("\r\n");
    ++outcome.records;
    record.clear();
    AppendCatalogRecord(line, record);
    output.Write(record);
    if (output.failed()) break;
    if (outcome.records == kMaxRecords) {
      m_services.ShowMessage(kRecordCapMessage);
      outcome.capped = true;
      break;
    }
  }
  if (reader.failed()) return refuse(reader.FailureMessage(m_strSourcePath, n));
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
