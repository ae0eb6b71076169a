// Getting the newest astorb.dat.gz (or MPCORB.DAT.gz): one downloader for the
// window and the CLI.
//
// The body goes to TARGET.part beside the target and is checked while it
// arrives: a complete gzip stream (every member's CRC and length), at least
// one line, the first line an ASTORB line or the text MPCORB (gzip_check.h),
// at most kMaxDownloadBytes. Only a
// body that passed is flushed and renamed over the target in one step, and
// the target then gets the server's Last-Modified as its modification time;
// until then the previous target is untouched, whatever fails.
//
// - Unchanged check: an existing target sends If-Modified-Since (its
//   modification time); a 304 leaves everything as it is.
// - Resume: a part file kept by a cut, stalled or cancelled download carries
//   the server's Last-Modified as its modification time; the next download
//   sends Range: bytes=N- and If-Range with that date. 206 appends, 200 starts
//   over, 416 starts over. A part is kept only when the server sent
//   Last-Modified (without it a resume could not be matched to its file).
// - A part that fails the check is deleted; any other failure keeps it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "http_transport.h"
#include "source_epochs.h"

namespace orbivane {

inline constexpr std::int64_t kMaxDownloadBytes = std::int64_t{1} << 30;  // 1 GiB
inline constexpr int kStallSeconds = 60;

struct DownloadProgress {
  std::int64_t bytes = 0;         // of the whole file, a resumed part included
  std::int64_t total = -1;        // the whole file's size; -1 when not announced
  double bytesPerSecond = 0;      // this transfer's average so far
};

// Called on the downloading thread (a window marshals to its own).
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;
  // Once at the start, about ten times a second while bytes arrive (also
  // for the last bytes before a pause), and once at the end of each request.
  virtual void OnProgress(const DownloadProgress& progress) = 0;
};

struct DownloadOptions {
  std::string url;      // kAstorbDownloadUrl by default
  std::string target;   // the file to replace, e.g. "astorb.dat.gz"
  std::string caFile;   // see HttpRequest::caFile
  std::string fileKind = "ASTORB file";  // how the messages name the target: "Cannot replace ASTORB file ..."
  int stallSeconds = kStallSeconds;  // no data for this long ends the download
};

enum class DownloadOutcome {
  kDownloaded,  // the target now holds the new, checked file
  kUnchanged,   // 304: the target is already the newest
  kFailed,      // message says why; the target is as it was
  kCancelled,   // the cancel flag was set; the target is as it was
};

struct DownloadResult {
  DownloadOutcome outcome = DownloadOutcome::kFailed;
  // One line for the user:
  //   Downloaded astorb.dat.gz: 104,213,456 bytes, 1,431,112 lines
  //   astorb.dat.gz is already the newest, of 2026-12-06
  //   Cannot download "https://...": 404 Not Found
  std::string message;
  std::int64_t bytes = 0;   // of the target (downloaded)
  std::int64_t lines = 0;   // the Total (downloaded): lines that end with a line break, MPCORB's orbit lines
  EpochTally epochs;        // of those lines (downloaded), from the same check
  std::string date;         // the server's Last-Modified as YYYY-MM-DD; empty when unknown
  bool partKept = false;    // TARGET.part is left for the next download to resume
};

// Runs one download to its end on the calling thread. `cancel` is looked at
// at least every half second (the transport's ticks); setting it ends the
// download with kCancelled and keeps the part file for a resume.
DownloadResult DownloadAstorb(const DownloadOptions& options, HttpTransport& transport,
                              DownloadObserver* observer, const std::atomic<bool>* cancel);

// "41.6 of 104.2 MB, 5.3 MB/s" ("41.6 MB, 5.3 MB/s" without a total), as the
// window's dialog and the CLI's progress line show it.
std::string ProgressText(const DownloadProgress& progress);

// "1,431,112": the figures of the messages.
std::string GroupedNumber(std::int64_t n);

}  // namespace orbivane
