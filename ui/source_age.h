// The age of the main window's source as its dialogs show it: the epoch, the
// days from it, the file's age, and the advice to download the newest when
// the epoch is more than 60 days from today.
#pragma once

#include <ctime>
#include <string>

#include "catalog.h"

namespace orbivane {

inline std::string SourceAgeText(const CCatalog& main, const char* howToDownload) {
  if (main.m_strSourcePath.empty()) return "No source chosen.";
  const std::int64_t now = std::time(nullptr);
  std::string text = AgeSummary(main.m_epochs, main.m_sourceModified, now) + ".";
  if (EpochIsStale(main.m_epochs, now)) {
    text += " The elements are more than " + std::to_string(kStaleEpochDays) +
            " days from today: download the newest astorb.dat.gz first" + howToDownload + ".";
  }
  return text;
}

}  // namespace orbivane
