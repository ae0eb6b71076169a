#include "catalog.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "entry_count.h"
#include "os_file.h"

namespace orbivane {

CCatalog::CCatalog(WindowServices& services, std::string workDir)
    : m_strWorkDir(std::move(workDir)), m_services(services) {}

StartOutcome CCatalog::OnStart() {
  m_services.PullTexts();
  const FilterVerdict verdict = ParseFilterAndReport();
  if (m_filter.m_nRanges == 0) {
    if (verdict == FilterVerdict::kEmpty) return {StartResult::kEmptyFilter};
    if (verdict == FilterVerdict::kParsed) return {StartResult::kNoRange};
    return {StartResult::kFilterRefused};
  }
  if (m_strSourcePath.empty()) return {StartResult::kNoSource};
  if (m_strOutputPath.empty()) return {StartResult::kNoOutput};
  return ConvertCatalog();
}

bool CCatalog::ParseFilter() { return ParseFilterAndReport() == FilterVerdict::kParsed; }

FilterVerdict CCatalog::ParseFilterAndReport() {
  const FilterVerdict verdict = m_filter.ParseFilter(m_strFilter);
  if (const char* message = FilterRefusalMessage(verdict)) m_services.ShowMessage(message);
  return verdict;
}

void CCatalog::ShowHistoryRow(const HistoryRecord& record) {
  m_services.InsertRow(0, SlotText(record.szDateTime));
  m_services.SetCell(0, 1, SlotText(record.szCatalogFile));
  m_services.SetCell(0, 2, SlotText(record.szFilter));
  m_services.SetCell(0, 3, SlotText(record.szNumber));
}

Status CCatalog::LoadHistory() {
  m_services.DeleteAllRows();
  std::vector<HistoryRecord> records;
  Status status = ReadHistoryFile(HistoryFilePath(), records);
  for (const HistoryRecord& record : records) ShowHistoryRow(record);
  return status;
}

Status CCatalog::AppendHistory(HistoryRecord record) {
  Status status = AppendHistoryFile(HistoryFilePath(), record);
  if (status) ShowHistoryRow(record);
  return status;
}

void CCatalog::OnClearHistory() {
  const Status deleted = DeleteHistoryFile(HistoryFilePath());
  const Status loaded = LoadHistory();
  if (!deleted) {
    m_services.ShowMessage(deleted.message());
  } else if (!loaded) {
    m_services.ShowMessage(loaded.message());
  }
}

Status CCatalog::CountSourceRecords() {
  if (m_strSourcePath.empty()) {
    m_strTotal.clear();
    m_services.ShowTotal(m_strTotal);
    return Status::Ok();
  }
  std::int64_t count = 0;
  m_nTotal = 0;
  m_epochs = EpochTally();
  FileInfo info;
  m_sourceModified = StatPath(m_strSourcePath, info) == 0 && info.exists ? info.modified : 0;
  Status status = CountEntries(m_strSourcePath, count, [this](std::int64_t n) { SetTotal(n); },
                               m_bTallyEpochs ? &m_epochs : nullptr);
  SetTotal(count);
  return status;
}

void CCatalog::SetTotal(std::int64_t lines) {
  m_nTotal = static_cast<std::int32_t>(std::min<std::int64_t>(lines, INT32_MAX));
  m_strTotal = std::to_string(m_nTotal) + " ";
  m_services.ShowTotal(m_strTotal);
}

}  // namespace orbivane
