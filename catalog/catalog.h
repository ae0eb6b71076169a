// The catalog class: everything the main window does with catalogs, behind
// the window-system services. The main dialog owns one and binds its
// controls to the texts below; orbivane-cli drives the same object from the
// command line.
#pragma once

#include <cstdint>
#include <string>

#include "filter_table.h"
#include "history_file.h"
#include "source_epochs.h"
#include "status.h"
#include "window_services.h"

namespace orbivane {

inline constexpr int kMaxRecords = 30000;
inline constexpr const char* kRecordCapMessage = "Asteroid catalogs can't contains more than 30000 asteroids!";

// How a press of Start ended.
enum class StartResult {
  kConverted,       // the catalog was written and the run recorded
  kEmptyFilter,     // nothing to do: the filter text is empty
  kFilterRefused,   // the filter was refused with a message
  kNoRange,         // nothing to do: no token of the filter gave a range
  kNoSource,        // nothing to do: the source path is empty
  kNoOutput,        // nothing to do: the output path is empty
  kRunRefused,      // a file could not be read or written; message shown, nothing recorded
  kNotRecorded,     // the catalog was written but the history append failed; message shown
};

struct StartOutcome {
  StartResult result;
  int records = 0;      // records written to the catalog
  bool capped = false;  // the run stopped at the 30000-record cap
};

class CCatalog {
 public:
  // `workDir` is the directory of the `history` file for the object's life.
  CCatalog(WindowServices& services, std::string workDir);
  CCatalog(const CCatalog&) = delete;
  CCatalog& operator=(const CCatalog&) = delete;

  // The Start command: pull the texts, parse the filter, and when the filter
  // gives a range and both paths are set, run the conversion.
  StartOutcome OnStart();

  // Rebuilds the range table from m_strFilter; a refused text shows its message.
  bool ParseFilter();
  bool IsSelected(std::int32_t n) const { return m_filter.IsSelected(n); }

  // Fills the history list from the file, newest record on top.
  Status LoadHistory();
  // Stores the record at the end of the file and shows it on top of the list.
  Status AppendHistory(HistoryRecord record);
  // Deletes the history file and empties the list; a failure shows its message.
  void OnClearHistory();

  // Counts the entries of m_strSourcePath (the lines of an ASTORB source, the
  // orbit lines of an MPCORB one) into m_nTotal and the Total text.
  // An unreadable file counts 0 and reports why; a damaged compressed file
  // counts the lines up to the damage and reports where it lies.
  Status CountSourceRecords();
  // Sets m_nTotal and the Total text to a count of lines and shows it.
  void SetTotal(std::int64_t lines);

  std::string HistoryFilePath() const { return HistoryPath(m_strWorkDir); }
  // The time a run records, as the window's clock gives it.
  LocalTime CurrentTime() { return m_services.CurrentTime(); }

  // State the window binds to or shows.
  const std::string m_strWorkDir;
  std::int32_t m_nTotal = 0;
  FilterTable m_filter;  // m_filter.m_ranges / m_filter.m_nRanges
  std::string m_strFilter;
  std::string m_strOutputPath;
  std::string m_strSourcePath;
  std::string m_strTotal;
  // Of the source counted last: the epochs of its lines and its modification time (seconds since 1970, 0 unknown).
  EpochTally m_epochs;
  std::int64_t m_sourceModified = 0;
  // Whether the count tallies the epochs (about a third of the count's time); a count that only prints the
  // Total goes without.
  bool m_bTallyEpochs = true;

 private:
  FilterVerdict ParseFilterAndReport();
  StartOutcome ConvertCatalog();
  void ShowHistoryRow(const HistoryRecord& record);

  WindowServices& m_services;
};

}  // namespace orbivane
