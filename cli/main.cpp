// orbivane-cli: the catalog work of the desktop window, from a shell.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "astorb_download.h"
#include "catalog.h"
#include "command_line.h"
#include "console_services.h"
#include "fetch_progress.h"
#include "file_message.h"
#include "interrupt.h"
#include "named_stream.h"
#include "os_file.h"
#include "refresh_command.h"
#include "select_command.h"
#include "selection.h"
#include "web_addresses.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace orbivane {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void Complain(const std::string& text) { std::fprintf(stderr, "orbivane-cli: %s\n", text.c_str()); }

std::string WorkDirOf(const CommandLine& line) {
  if (const auto dir = line.Option("--workdir")) return *dir;
  std::string cwd;
  if (const int err = CurrentDirectory(cwd); err != 0) cwd = ".";
  return cwd;
}

// The history's folder must exist; it is never made. A run is refused before
// it writes anything, and listing or clearing a folder that is not there is
// no success.
bool IsHistoryFolder(const std::string& dir) {
  FileInfo info;
  int err = StatPath(dir, info);
  if (err == 0 && !info.exists) err = ENOENT;
  if (err == 0 && !info.directory) err = ENOTDIR;
  if (err != 0) std::fprintf(stderr, "%s\n", FileMessage("use", "history folder", dir, err).c_str());
  return err == 0;
}

int Convert(const CommandLine& line) {
  const std::string output = *line.Option("--output");
  // Records on standard output leave it to them: the summary goes with the messages.
  const bool toStandardOutput = IsStandardStreamName(output);
  std::string cwd;
  if (const int err = CurrentDirectory(cwd);
      err != 0 && !output.empty() && output.front() != '/' && !toStandardOutput) {
    Complain("cannot tell the current directory: " + SystemReason(err));
    return kExitFailure;
  }
  const std::string workDir = WorkDirOf(line);
  if (!IsHistoryFolder(workDir)) return kExitFailure;
  ConsoleServices console;
  CCatalog catalog(console, workDir);
  catalog.m_strSourcePath = *line.Option("--source");
  catalog.m_strOutputPath = toStandardOutput ? output : AbsolutePath(output, cwd);
  catalog.m_strFilter = *line.Option("--filter");

  const StartOutcome outcome = catalog.OnStart();
  console.EndProgress();
  switch (outcome.result) {
    case StartResult::kConverted:
    case StartResult::kNotRecorded:
      std::fprintf(toStandardOutput ? stderr : stdout, "Wrote %d asteroid record%s to %s\n", outcome.records,
                   outcome.records == 1 ? "" : "s", catalog.m_strOutputPath.c_str());
      return outcome.result == StartResult::kConverted ? kExitOk : kExitFailure;
    case StartResult::kEmptyFilter:
      Complain("the filter is empty; nothing was converted");
      return kExitFailure;
    case StartResult::kNoRange:
      Complain("the filter selects no asteroid; nothing was converted");
      return kExitFailure;
    case StartResult::kNoSource:
      Complain("no source catalog given; nothing was converted");
      return kExitFailure;
    case StartResult::kNoOutput:
      Complain("no output file given; nothing was converted");
      return kExitFailure;
    case StartResult::kFilterRefused:
    case StartResult::kRunRefused:
      return kExitFailure;  // the message is already on stderr
  }
  return kExitFailure;
}

class SelectProgress final : public SelectionProgress {
 public:
  explicit SelectProgress(ConsoleServices& console) : console_(console) {}
  void OnLines(std::int64_t read) override {
    console_.ShowProgressLine("Selecting: " + std::to_string(read) + " lines");
  }

 private:
  ConsoleServices& console_;
};

int Select(const CommandLine& line) {
  std::string error;
  const std::optional<Selection> selection = SelectionOfOptions(line, error);
  if (!selection) {
    Complain(error);
    std::fputs("Try 'orbivane-cli --help' for more information.\n", stderr);
    return kExitUsage;
  }
  const std::string source = *line.Option("--source");
  const std::string output = *line.Option("--output");
  const bool list = line.Option("--list").has_value();
  // Records or rows on standard output leave it to them: the summary goes with the messages.
  std::FILE* summary = list || IsStandardStreamName(output) ? stderr : stdout;
  ConsoleServices console;
  SelectProgress progress(console);
  SelectionOutcome outcome;
  if (line.Option("--dry-run")) {
    outcome = PreviewSelection(source, *selection, &progress, nullptr);
    console.EndProgress();
    if (outcome.result == SelectionOutcome::Result::kDone) {
      std::fputs(PreviewText(*selection, outcome.counts).c_str(), summary);
    }
  } else {
    std::string cwd;
    if (const int err = CurrentDirectory(cwd); err != 0 && output.front() != '/' && !IsStandardStreamName(output)) {
      Complain("cannot tell the current directory: " + SystemReason(err));
      return kExitFailure;
    }
    const std::string workDir = WorkDirOf(line);
    if (!IsHistoryFolder(workDir)) return kExitFailure;
    CCatalog catalog(console, workDir);
    catalog.m_strSourcePath = source;
    catalog.m_strOutputPath = IsStandardStreamName(output) ? output : AbsolutePath(output, cwd);
    outcome = RunSelection(catalog, *selection, &progress, nullptr);
    console.EndProgress();
    if (outcome.result == SelectionOutcome::Result::kDone) {
      std::fprintf(summary, "Wrote %lld asteroid record%s to %s: %lld passed the selection, %lld kept\n",
                   static_cast<long long>(outcome.counts.kept), outcome.counts.kept == 1 ? "" : "s",
                   catalog.m_strOutputPath.c_str(), static_cast<long long>(outcome.counts.passed),
                   static_cast<long long>(outcome.counts.kept));
    }
  }
  if (list) {
    for (const KeptLine& kept : outcome.kept) std::fputs(ListRow(kept).c_str(), stdout);
  }
  if (!outcome.message.empty()) std::fprintf(stderr, "%s\n", outcome.message.c_str());
  const bool done = outcome.result == SelectionOutcome::Result::kDone;
  return done && (outcome.recorded || line.Option("--dry-run")) ? kExitOk : kExitFailure;
}

int Count(const CommandLine& line) {
  ConsoleServices console;
  CCatalog catalog(console, ".");
  catalog.m_strSourcePath = *line.Option("--source");
  catalog.m_bTallyEpochs = line.Option("--epochs").has_value();
  const Status counted = catalog.CountSourceRecords();
  console.EndProgress();
  if (!counted) {
    std::fprintf(stderr, "%s\n", counted.message().c_str());
    return kExitFailure;
  }
  std::printf("%d\n", catalog.m_nTotal);
  if (line.Option("--epochs")) {
    std::fputs(EpochLines(catalog.m_epochs, catalog.m_sourceModified, std::time(nullptr)).c_str(), stdout);
  }
  return kExitOk;
}

int History(const CommandLine& line) {
  const std::string workDir = WorkDirOf(line);
  if (!IsHistoryFolder(workDir)) return kExitFailure;
  ConsoleServices console;
  CCatalog catalog(console, workDir);
  const Status loaded = catalog.LoadHistory();
  for (const ConsoleServices::Row& row : console.rows()) {
    std::printf("%s\t%s\t%s\t%s\n", row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str());
  }
  if (!loaded) {
    std::fprintf(stderr, "%s\n", loaded.message().c_str());
    return kExitFailure;
  }
  return kExitOk;
}

int ClearHistory(const CommandLine& line) {
  const std::string workDir = WorkDirOf(line);
  if (!IsHistoryFolder(workDir)) return kExitFailure;
  const Status deleted = DeleteHistoryFile(HistoryPath(workDir));
  if (!deleted) {
    std::fprintf(stderr, "%s\n", deleted.message().c_str());
    return kExitFailure;
  }
  return kExitOk;
}

// Ctrl+C ends a download as Cancel does: the part file stays for a resume.
std::atomic<bool> fetchCancelled{false};

int Fetch(const CommandLine& line) {
  const std::string source = line.Option("--source").value_or("astorb");
  if (source != "astorb" && source != "mpcorb") {
    Complain("unknown source '" + source + "': astorb or mpcorb");
    std::fputs("Try 'orbivane-cli --help' for more information.\n", stderr);
    return kExitUsage;
  }
  const bool mpcorb = source == "mpcorb";
  DownloadOptions options;
  options.url = line.Option("--url").value_or(mpcorb ? kMpcorbDownloadUrl : kAstorbDownloadUrl);
  options.target = line.Option("--output").value_or(mpcorb ? "MPCORB.DAT.gz" : "astorb.dat.gz");
  if (mpcorb) options.fileKind = "MPCORB file";
  options.caFile = line.Option("--cacert").value_or("");
  // For tests that stall on purpose.
  if (const char* stall = std::getenv("ORBIVANE_STALL_SECONDS")) options.stallSeconds = std::atoi(stall);
  CancelOnInterrupt(fetchCancelled);
  ConsoleServices console;
  FetchProgress progress(console);
  const auto transport = MakeHttpTransport();
  const DownloadResult result = DownloadAstorb(options, *transport, &progress, &fetchCancelled);
  console.EndProgress();
  const bool ok = result.outcome == DownloadOutcome::kDownloaded || result.outcome == DownloadOutcome::kUnchanged;
  std::fprintf(ok ? stdout : stderr, "%s\n", result.message.c_str());
  if (result.outcome == DownloadOutcome::kCancelled) return EndAsInterrupted();
  return ok ? kExitOk : kExitFailure;
}

int Run(const std::vector<std::string>& args) {
  std::string error;
  const auto line = ParseCommandLine(args, error);
  if (!line) {
    Complain(error);
    std::fputs("Try 'orbivane-cli --help' for more information.\n", stderr);
    return kExitUsage;
  }
  if (line->command == "--help") {
    std::fputs(ProgramHelp(CliProgramText()).c_str(), stdout);
    return kExitOk;
  }
  if (line->help) {
    std::fputs(CommandHelp(CliProgramText(), *FindCommand(CliProgramText(), line->command)).c_str(), stdout);
    return kExitOk;
  }
  if (line->command == "--version") {
    std::puts("orbivane-cli " ORBIVANE_VERSION);
    return kExitOk;
  }
  if (line->command == "convert") return Convert(*line);
  if (line->command == "select") return Select(*line);
  if (line->command == "count") return Count(*line);
  if (line->command == "history") return History(*line);
  if (line->command == "fetch") return Fetch(*line);
  if (line->command == "refresh") {
    const std::string workDir = WorkDirOf(*line);
    if (!IsHistoryFolder(workDir)) return kExitFailure;
    return RefreshCommand(*line, workDir);
  }
  return ClearHistory(*line);
}

}  // namespace
}  // namespace orbivane

namespace {

int Main(const std::vector<std::string>& args) {
  orbivane::MarkProgramRunning();
  orbivane::EndOnCtrlCWith130();
  const int status = orbivane::Run(args);
  // Output that could not be written (a full disk, a closed pipe) is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "orbivane-cli: cannot write standard output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}

}  // namespace

#ifdef _WIN32
// Windows hands main() its arguments in the ANSI code page, which cannot
// spell every file name; the wide arguments can, and become UTF-8 here like
// every path of the program. Messages go out as UTF-8 too, so a console
// shows them in that code page while the program runs.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), n, nullptr, nullptr);
    arg.pop_back();
    args.push_back(std::move(arg));
  }
  // The same bytes on every system: no CR is put before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  const UINT codePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  const int status = Main(args);
  SetConsoleOutputCP(codePage);
  return status;
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
