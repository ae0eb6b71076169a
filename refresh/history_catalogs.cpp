#include <set>

#include "named_stream.h"
#include "os_file.h"
#include "refresh.h"

namespace orbivane {

std::vector<RefreshCatalog> CatalogsOfHistory(const std::vector<HistoryRecord>& records) {
  std::vector<RefreshCatalog> catalogs;
  std::set<std::string> seen;
  for (auto record = records.rbegin(); record != records.rend(); ++record) {
    std::string path = SlotText(record->szCatalogFile);
    if (path.empty() || IsStandardStreamName(path) || !seen.insert(path).second) continue;
    FileInfo info;
    const bool missing = StatPath(path, info) == 0 && !info.exists;
    catalogs.push_back(RefreshCatalog{std::move(path), SlotText(record->szFilter), SlotText(record->szDateTime),
                                      SlotText(record->szNumber), missing});
  }
  return catalogs;
}

std::string ResultText(const RefreshOutcome& outcome) {
  switch (outcome.result) {
    case RefreshResult::kWaiting:
      return "";
    case RefreshResult::kSkipped:
      return "skipped: the file is missing";
    case RefreshResult::kCompiled: {
      std::string text = "compiled, " + std::to_string(outcome.records);
      text += outcome.records == 1 ? " record" : " records";
      if (outcome.capped) text += " (the 30000 cap)";
      if (!outcome.message.empty()) text += "; " + outcome.message;
      return text;
    }
    case RefreshResult::kFailed:
      return "kept: " + outcome.message;
    case RefreshResult::kCancelled:
      return "kept: cancelled";
  }
  return "";
}

}  // namespace orbivane
