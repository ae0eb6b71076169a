#include "astorb_download.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "file_message.h"
#include "file_replacement.h"
#include "file_time.h"
#include "http_date.h"
#include "os_file.h"
#include "overlapped_check.h"
#include "part_file.h"
#include "source_stream.h"

namespace orbivane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressEvery = std::chrono::milliseconds(100);
constexpr std::int64_t kWriteBackEvery = 8 << 20;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string TransportReason(const TransportResult& result) {
  switch (result.error) {
    case TransportError::kHostNotFound:
      return "the host cannot be found (no network, or a DNS failure)";
    case TransportError::kConnectionRefused:
      return "the connection was refused, or the host cannot be reached";
    case TransportError::kTls:
      return "the secure connection failed (" + result.detail + ")";
    case TransportError::kTooManyRedirects:
      return "more than " + std::to_string(kMaxRedirects) + " redirects";
    case TransportError::kInsecureRedirect:
      return "a redirect from https to http was refused";
    case TransportError::kRedirectNotHttp:
      return "a redirect to an address that is not http or https was refused";
    case TransportError::kBadAddress:
      return "only http:// and https:// addresses can be downloaded";
    default:
      return result.detail;
  }
}

// One GET of the file, into the part file, with its check as the bytes arrive.
class Transfer final : public HttpSink {
 public:
  Transfer(const DownloadOptions& options, const ReplacedFile& replaced, PartFile& part, DownloadObserver* observer,
           const std::atomic<bool>* cancel)
      : options_(options), replaced_(replaced), part_(part), file_(part.file()), observer_(observer),
        cancel_(cancel) {}

  // Takes up what the part file holds, left by an earlier download: its bytes go through the check again (a
  // damaged part starts over) and the download continues from its end.
  void TakeUpPart() {
    FileInfo info;
    if (part_.Size() == 0 || file_.Info(info) != 0) return;
    partTime_ = info.modified;
    const auto block = std::make_unique<ReadBlock>();
    int err = 0;
    std::ptrdiff_t n;
    while ((n = file_.Read(block->bytes, ReadBlock::kSize, err)) > 0 &&
           check_.Feed(block->bytes, static_cast<std::size_t>(n))) {
      offset_ += n;
      // A long part takes a while; Cancel still ends it at once, and the part stays.
      if ((cancelled_ = cancel_ != nullptr && cancel_->load())) return;
    }
    if (n != 0 || !check_.Drain() || offset_ == 0 || file_.SeekToEnd() != 0) StartOver();
  }

  bool cancelled() const { return cancelled_; }

  HttpRequest Request(const std::optional<std::int64_t>& targetTime) const {
    HttpRequest request{options_.url, {}, options_.caFile};
    if (targetTime) request.headers.emplace_back("If-Modified-Since", FormatHttpDate(*targetTime));
    if (offset_ > 0) {
      request.headers.emplace_back("Range", "bytes=" + std::to_string(offset_) + "-");
      request.headers.emplace_back("If-Range", FormatHttpDate(partTime_));
    }
    return request;
  }

  bool OnResponse(const HttpResponse& response) override {
    status_ = response.status;
    reason_ = response.reason;
    lastModified_ = ParseHttpDate(response.lastModified);
    if (status_ == 304 || status_ == 416) return true;
    // An answer that cannot be used leaves the part as it was: it passed its check.
    if (status_ == 206 && !StartsWith(response.contentRange, ("bytes " + std::to_string(offset_) + "-").c_str())) {
      return RefuseAnswer("the server sent another range than the one asked for (" + response.contentRange + ")");
    }
    if (status_ != 200 && status_ != 206) return true;  // its body is not kept
    const std::int64_t start = status_ == 206 ? offset_ : 0;
    if (response.contentLength >= 0) total_ = start + response.contentLength;
    if (total_ > kMaxDownloadBytes) return RefuseAnswer("the file is larger than 1 GiB");
    wrote_ = true;
    // The file changed, or the server ignores ranges: the whole file comes.
    if (status_ == 200) StartOver();
    return failure_.empty();
  }

  bool OnBody(const char* data, std::size_t size) override {
    lastByte_ = Clock::now();
    if (received_ == 0) firstByte_ = lastByte_;
    if (status_ != 200 && status_ != 206) return true;  // an error page: not kept
    if (const int err = file_.WriteAll(data, size); err != 0) return WriteFailed(err);
    received_ += static_cast<std::int64_t>(size);
    if (offset_ + received_ > kMaxDownloadBytes) return Refuse("the file is larger than 1 GiB");
    if (!check_.Feed(data, size)) return Refuse(check_.problem());
    if (lastByte_ - lastReport_ >= kProgressEvery) Report();
    // Each 8 MiB crossed, the disk starts on them, so the flush at the end is short.
    if (received_ / kWriteBackEvery != (received_ - static_cast<std::int64_t>(size)) / kWriteBackEvery) {
      StartWriteBack(part_.path());
    }
    return true;
  }

  bool OnTick() override {
    if (cancel_ != nullptr && cancel_->load()) {
      cancelled_ = true;
      return false;
    }
    if (Clock::now() - lastByte_ >= std::chrono::seconds(options_.stallSeconds)) {
      stalled_ = true;
      return false;
    }
    // Bytes that came just before a pause are shown too.
    if (lastByte_ > lastReport_ && Clock::now() - lastReport_ >= kProgressEvery) Report();
    return true;
  }

  // Before the request: the stall clock starts here.
  void Begin() {
    firstByte_ = lastByte_ = Clock::now();
    Report();
  }

  void Report() {
    lastReport_ = Clock::now();
    if (observer_ == nullptr) return;
    const double seconds = std::chrono::duration<double>(lastReport_ - firstByte_).count();
    observer_->OnProgress({offset_ + received_, total_, seconds > 0 ? static_cast<double>(received_) / seconds : 0});
  }

  DownloadResult Finish(const TransportResult& sent, const std::optional<std::int64_t>& targetTime);

  int status() const { return status_; }
  void StartOver() {
    check_.Reset();
    offset_ = 0;
    received_ = 0;
    if (const int err = part_.StartOver(); err != 0) WriteFailed(err);
  }

 private:
  // The body failed its check: the part goes.
  bool Refuse(const std::string& why) {
    failure_ = "Cannot download \"" + options_.url + "\": " + why;
    dropPart_ = true;
    return false;
  }
  // The server's answer cannot be used; what the part holds stays for the next download.
  bool RefuseAnswer(const std::string& why) {
    failure_ = "Cannot download \"" + options_.url + "\": " + why;
    return false;
  }
  bool WriteFailed(int err) {
    failure_ = FileMessage("write", "part file", part_.path(), err);
    dropPart_ = true;
    return false;
  }
  DownloadResult Failed(std::string message, bool keepPart);
  DownloadResult Replace();

  const DownloadOptions& options_;
  const ReplacedFile& replaced_;
  PartFile& part_;
  OsFile& file_;
  DownloadObserver* observer_;
  const std::atomic<bool>* cancel_;
  OverlappedCheck check_;
  std::int64_t partTime_ = 0;
  std::int64_t offset_ = 0;    // bytes of the part file taken up
  std::int64_t received_ = 0;  // bytes of this response's body written
  std::int64_t total_ = -1;
  int status_ = 0;
  std::string reason_;
  std::optional<std::int64_t> lastModified_;
  std::string failure_;  // the message of a refusal found while bytes arrived
  bool dropPart_ = false;
  bool wrote_ = false;  // this transfer wrote to the part file (or emptied it)
  bool cancelled_ = false;
  bool stalled_ = false;
  Clock::time_point firstByte_ = Clock::now(), lastByte_ = firstByte_, lastReport_{};
};

DownloadResult Transfer::Failed(std::string message, bool keepPart) {
  DownloadResult result;
  result.message = std::move(message);
  result.outcome = cancelled_ ? DownloadOutcome::kCancelled : DownloadOutcome::kFailed;
  // A part is worth keeping only when the next request can ask for the same
  // file; one that this transfer did not touch stays as it was.
  if (wrote_) keepPart = keepPart && lastModified_ && file_.SetModifiedTime(*lastModified_) == 0;
  if (keepPart) {
    part_.Keep();
  } else {
    part_.Drop();
  }
  std::int64_t unused = 0;
  result.partKept = FileModifiedTime(part_.path(), unused) == 0;
  return result;
}

DownloadResult Transfer::Finish(const TransportResult& sent, const std::optional<std::int64_t>& targetTime) {
  const std::string prefix = "Cannot download \"" + options_.url + "\": ";
  // A refusal the check found while the transfer went on counts as found when the bytes came.
  if (failure_.empty() && !check_.Drain()) Refuse(check_.problem());
  if (!failure_.empty()) return Failed(failure_, !dropPart_);
  const std::string resumes = lastModified_ && offset_ + received_ > 0 ? "; the next download resumes there" : "";
  if (stalled_) {
    return Failed(prefix + "no data for " + std::to_string(options_.stallSeconds) + " s, after " +
                      GroupedNumber(offset_ + received_) + " bytes" + resumes, true);
  }
  if (cancelled_) return Failed("The download of \"" + options_.url + "\" was cancelled" + resumes, true);
  if (sent.error == TransportError::kCut) {
    return Failed(prefix + "the connection broke after " + GroupedNumber(offset_ + received_) + " bytes" + resumes,
                  true);
  }
  if (sent.error != TransportError::kNone) return Failed(prefix + TransportReason(sent), true);
  if (status_ == 304 && targetTime) {
    part_.Keep();
    DownloadResult result;
    result.outcome = DownloadOutcome::kUnchanged;
    result.date = FormatDay(*targetTime);
    result.message = options_.target + " is already the newest, of " + result.date;
    return result;
  }
  if (status_ != 200 && status_ != 206) {
    return Failed(prefix + std::to_string(status_) + (reason_.empty() ? "" : " " + reason_), true);
  }
  if (!check_.Finish()) return Failed(prefix + check_.problem(), false);
  return Replace();
}

// The checked part file, still held, replaces the target in one step, flushed first so that a crash cannot leave
// a target with a hole.
DownloadResult Transfer::Replace() {
  int err = file_.Sync();
  if (err == 0 && lastModified_) err = file_.SetModifiedTime(*lastModified_);
  if (err == 0) err = KeepPermissions(replaced_, file_);
  if (err != 0) return Failed(FileMessage("write", "part file", part_.path(), err), false);
  // Only the file this download holds, never another found under its name.
  if (!part_.StillOurs()) {
    part_.Keep();
    return Failed(FileMessage("replace", options_.fileKind.c_str(), options_.target,
                              "its part file \"" + part_.path() + "\" was replaced by another program"),
                  true);
  }
  if ((err = MoveIntoPlace(replaced_, part_.path())) != 0) {
    return Failed(FileMessage("replace", options_.fileKind.c_str(), options_.target, err), false);
  }
  part_.file().Close();
  DownloadResult result;
  result.outcome = DownloadOutcome::kDownloaded;
  result.bytes = offset_ + received_;
  result.lines = check_.lines();
  result.epochs = check_.epochs();
  if (lastModified_) result.date = FormatDay(*lastModified_);
  result.message = "Downloaded " + options_.target + ": " + GroupedNumber(result.bytes) + " bytes, " +
                   GroupedNumber(result.lines) + " lines";
  return result;
}

// What the download may replace: a regular file the user may write, or nothing yet; the file a link points to.
// Refused before any request, so that nothing is fetched for a target that cannot take it.
std::string RefusedTarget(const DownloadOptions& options, ReplacedFile& replaced) {
  if (const int err = LookAtReplacedFile(options.target, replaced); err != 0) {
    return FileMessage("replace", options.fileKind.c_str(), options.target, err);
  }
  if (replaced.info.exists && !replaced.info.regular) {
    const std::string what = KindText(replaced.info.kind);
    return FileMessage("replace", options.fileKind.c_str(), options.target, "it is " + what + ", not a file");
  }
  if (replaced.info.writeProtected) return FileMessage("replace", options.fileKind.c_str(), options.target, EACCES);
  return {};
}

}  // namespace

std::string GroupedNumber(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return n < 0 ? "-" + digits : digits;
}

std::string ProgressText(const DownloadProgress& progress) {
  char text[96];
  const double mb = 1e6;
  if (progress.total >= 0) {
    std::snprintf(text, sizeof text, "%.1f of %.1f MB, %.1f MB/s", static_cast<double>(progress.bytes) / mb,
                  static_cast<double>(progress.total) / mb, progress.bytesPerSecond / mb);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB, %.1f MB/s", static_cast<double>(progress.bytes) / mb,
                  progress.bytesPerSecond / mb);
  }
  return text;
}

DownloadResult DownloadAstorb(const DownloadOptions& options, HttpTransport& transport, DownloadObserver* observer,
                              const std::atomic<bool>* cancel) {
  DownloadResult refused;
  if (!StartsWith(options.url, "http://") && !StartsWith(options.url, "https://")) {
    refused.message = "Cannot download \"" + options.url + "\": " + TransportReason({TransportError::kBadAddress, {}});
    return refused;
  }
  ReplacedFile replaced;
  if (refused.message = RefusedTarget(options, replaced); !refused.message.empty()) return refused;
  PartFile part(replaced.path + ".part");
  if (const int err = part.Own(); err == EWOULDBLOCK) {
    refused.message = "Cannot download \"" + options.url + "\": another download into \"" + options.target +
                      "\" is under way";
    return refused;
  } else if (err != 0) {
    refused.message = FileMessage("create", "part file", part.path(), err);
    return refused;
  }
  std::optional<std::int64_t> targetTime;
  if (replaced.info.exists) targetTime = replaced.info.modified;
  // A 416 (the part is as long as the file, or longer) starts over once.
  for (int attempt = 0;; ++attempt) {
    Transfer transfer(options, replaced, part, observer, cancel);
    if (attempt == 0) transfer.TakeUpPart();
    transfer.Begin();
    const TransportResult sent = transfer.cancelled() ? TransportResult{TransportError::kCancelled, {}}
                                                      : transport.Get(transfer.Request(targetTime), transfer);
    transfer.Report();  // the last figures
    if (transfer.status() == 416 && attempt == 0 && sent.error == TransportError::kNone) {
      transfer.StartOver();
      continue;
    }
    return transfer.Finish(sent, targetTime);
  }
}

}  // namespace orbivane
