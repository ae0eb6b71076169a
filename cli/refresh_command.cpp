#include "refresh_command.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "astorb_download.h"
#include "catalog.h"
#include "console_services.h"
#include "fetch_progress.h"
#include "history_file.h"
#include "interrupt.h"
#include "refresh.h"
#include "source_lines.h"
#include "web_addresses.h"

namespace orbivane {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

std::atomic<bool> downloadCancelled{false};

class RefreshProgress final : public RefreshObserver {
 public:
  explicit RefreshProgress(ConsoleServices& console) : console_(console) {}
  void OnLines(std::int64_t read, std::int64_t upTo) override {
    console_.ShowProgressLine("Refreshing: " + std::to_string(read) +
                              (upTo > 0 ? " of " + std::to_string(upTo) : std::string()) + " lines");
  }
  void OnCatalogDone(std::size_t, const RefreshOutcome&) override {}

 private:
  ConsoleServices& console_;
};

// The address --fetch downloads: --url, else the newest of the kind of source there is (ASTORB when none).
std::string FetchAddress(const CommandLine& line, const std::string& source) {
  return line.Option("--url").value_or(FormatOfSource(source) == SourceFormat::kMpcorb ? kMpcorbDownloadUrl
                                                                                       : kAstorbDownloadUrl);
}

// The download into the source; false when it failed or was cancelled, and nothing is to be compiled.
bool Fetched(const CommandLine& line, const std::string& source, ConsoleServices& console) {
  DownloadOptions options;
  options.url = FetchAddress(line, source);
  options.target = source;
  if (const char* stall = std::getenv("ORBIVANE_STALL_SECONDS")) options.stallSeconds = std::atoi(stall);
  CancelOnInterrupt(downloadCancelled);
  FetchProgress progress(console);
  const auto transport = MakeHttpTransport();
  const DownloadResult result = DownloadAstorb(options, *transport, &progress, &downloadCancelled);
  console.EndProgress();
  const bool ok = result.outcome == DownloadOutcome::kDownloaded || result.outcome == DownloadOutcome::kUnchanged;
  std::fprintf(ok ? stdout : stderr, "%s\n", result.message.c_str());
  if (result.outcome == DownloadOutcome::kCancelled) std::exit(EndAsInterrupted());
  return ok;
}

std::string Counted(int n, const char* what) { return std::to_string(n) + " " + what; }

}  // namespace

int RefreshCommand(const CommandLine& line, const std::string& workDir) {
  if (line.Option("--url") && !line.Option("--fetch")) {
    std::fputs("orbivane-cli: --url needs --fetch\nTry 'orbivane-cli --help' for more information.\n", stderr);
    return kExitUsage;
  }
  // astorb.dat.gz beside the history, joined as the history's own name is.
  std::string source = HistoryPath(workDir);
  source.replace(source.size() - std::string_view("history").size(), std::string::npos, "astorb.dat.gz");
  source = line.Option("--source").value_or(source);

  std::vector<HistoryRecord> records;
  if (const Status read = ReadHistoryFile(HistoryPath(workDir), records); !read) {
    std::fprintf(stderr, "%s\n", read.message().c_str());
    return kExitFailure;
  }
  const std::vector<RefreshCatalog> catalogs = CatalogsOfHistory(records);
  if (line.Option("--dry-run")) {
    if (line.Option("--fetch")) std::printf("Would download %s into %s\n", FetchAddress(line, source).c_str(),
                                            source.c_str());
    int missing = 0;
    for (const RefreshCatalog& catalog : catalogs) {
      missing += catalog.missing;
      std::printf("%s %s with \"%s\" (compiled %s, %s asteroids)%s\n", catalog.missing ? "Would skip" : "Would compile",
                  catalog.path.c_str(), catalog.filter.c_str(), catalog.compiled.c_str(),
                  catalog.recordsBefore.c_str(), catalog.missing ? ": the file is missing" : "");
    }
    std::printf("%s from %s, %s\n", Counted(static_cast<int>(catalogs.size()) - missing, "to compile").c_str(),
                source.c_str(), Counted(missing, "skipped").c_str());
    // The source's age, from its count.
    ConsoleServices console;
    CCatalog counting(console, workDir);
    counting.m_strSourcePath = source;
    const Status counted = counting.CountSourceRecords();
    console.EndProgress();
    std::printf("Source: %s\n", counted ? AgeSummary(counting.m_epochs, counting.m_sourceModified,
                                                         std::time(nullptr)).c_str()
                                          : counted.message().c_str());
    return kExitOk;
  }

  ConsoleServices console;
  if (line.Option("--fetch") && !Fetched(line, source, console)) return kExitFailure;
  RefreshProgress progress(console);
  const std::vector<RefreshOutcome> outcomes = RefreshCatalogs(catalogs, source, workDir, console, &progress, nullptr);
  console.EndProgress();
  int compiled = 0, kept = 0, skipped = 0;
  for (std::size_t i = 0; i < catalogs.size(); ++i) {
    const RefreshOutcome& outcome = outcomes[i];
    const bool whole = outcome.result == RefreshResult::kCompiled && outcome.message.empty();
    compiled += whole;
    skipped += outcome.result == RefreshResult::kSkipped;
    kept += !whole && outcome.result != RefreshResult::kSkipped;
    std::printf("%s: %s (%s before)\n", catalogs[i].path.c_str(), ResultText(outcome).c_str(),
                catalogs[i].recordsBefore.c_str());
  }
  std::printf("Refreshed from %s: %s, %s, %s\n", source.c_str(), Counted(compiled, "compiled").c_str(),
              Counted(kept, "failed").c_str(), Counted(skipped, "skipped").c_str());
  return kept == 0 ? kExitOk : kExitFailure;
}

}  // namespace orbivane
