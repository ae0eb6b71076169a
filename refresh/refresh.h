// Compiling catalogs again from a newer source: the catalogs the history
// names, each with the filter slot of its newest record (a range filter or a
// selection's recipe), written anew and recorded as a run of its own. The
// window's refresh dialog, its "Compile again" and orbivane-cli refresh all
// run this one logic.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "history_file.h"
#include "window_services.h"

namespace orbivane {

// A catalog the history names, as its newest record left it.
struct RefreshCatalog {
  std::string path;           // the catalog file
  std::string filter;         // the filter slot: a range filter or a recipe
  std::string compiled;       // the record's date and time, "12/6/2001 01:45:09"
  std::string recordsBefore;  // the record's number of asteroids, as recorded
  bool missing = false;       // the file is gone: listed, never made again unasked
};

// The newest record of each distinct catalog path, newest first, the missing
// ones marked. `records` are in file order (oldest first). A record of the
// standard output ("-") names no file and is left out.
std::vector<RefreshCatalog> CatalogsOfHistory(const std::vector<HistoryRecord>& records);

enum class RefreshResult {
  kWaiting,    // not reached yet
  kSkipped,    // the file is missing
  kCompiled,   // written and recorded
  kFailed,     // message says why; the previous file is as it was
  kCancelled,  // the previous file is as it was
};

struct RefreshOutcome {
  RefreshResult result = RefreshResult::kWaiting;
  int records = 0;      // written (kCompiled)
  bool capped = false;  // a range filter stopped at the 30000-record cap
  std::string message;  // why it failed, or that the run could not be recorded
};

// Told on the working thread how far the refresh has come.
class RefreshObserver {
 public:
  virtual ~RefreshObserver() = default;
  // The lines of the source read by the pass now going, of `upTo` it needs
  // (0 when it needs the whole source, as a selection does).
  virtual void OnLines(std::int64_t read, std::int64_t upTo) = 0;
  // A catalog has its final outcome.
  virtual void OnCatalogDone(std::size_t index, const RefreshOutcome& outcome) = 0;
};

// Compiles every catalog that is not missing from `source` again, into its
// own file, each record written as convert or select writes it, and records
// each run through `services` (its history rows and its clock; no message is
// shown) in workDir's history. The catalogs of range filters share one pass
// over the source, which ends at the highest line any of them needs; each
// selection takes a pass of its own. A catalog that cannot be compiled keeps
// its previous file and the others go on; `cancel` (looked at every few
// thousand lines) ends the refresh, every catalog not yet replaced kept as it
// was.
std::vector<RefreshOutcome> RefreshCatalogs(const std::vector<RefreshCatalog>& catalogs, const std::string& source,
                                            const std::string& workDir, WindowServices& services,
                                            RefreshObserver* observer, const std::atomic<bool>* cancel);

// "compiled", "kept: ..." and so on: the result column of the window and the CLI.
std::string ResultText(const RefreshOutcome& outcome);

}  // namespace orbivane
