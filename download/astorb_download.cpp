#include "astorb_download.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "file_message.h"
#include "file_time.h"
#include "overlapped_check.h"
#include "http_date.h"
#include "os_file.h"
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
    case TransportError::kBadAddress:
      return "only http:// and https:// addresses can be downloaded";
    default:
      return result.detail;
  }
}

// One GET of the file, into the part file, with its check as the bytes arrive.
class Transfer final : public HttpSink {
 public:
  Transfer(const DownloadOptions& options, DownloadObserver* observer, const std::atomic<bool>* cancel)
      : options_(options), part_(options.target + ".part"), observer_(observer), cancel_(cancel) {}

  const std::string& part() const { return part_; }

  // Takes up a part file left by an earlier download: its bytes go through the
  // check again (a damaged one is dropped) and it is continued from its end.
  void TakeUpPart() {
    std::int64_t partTime = 0;
    if (FileModifiedTime(part_, partTime) != 0 || file_.OpenOrCreateForUpdate(part_) != 0) return;
    partTime_ = partTime;
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
    if (status_ == 200 && offset_ > 0) StartOver();  // the file changed, or the server ignores ranges
    if (status_ == 206 && !StartsWith(response.contentRange, ("bytes " + std::to_string(offset_) + "-").c_str())) {
      return Refuse("the server sent another range than the one asked for (" + response.contentRange + ")");
    }
    if (status_ != 200 && status_ != 206) return true;  // its body is not kept
    if (response.contentLength >= 0) total_ = offset_ + response.contentLength;
    if (total_ > kMaxDownloadBytes) return Refuse("the file is larger than 1 GiB");
    if (!file_.is_open()) {
      if (const int err = file_.OpenOrCreateForUpdate(part_); err != 0) {
        failure_ = FileMessage("create", "part file", part_, err);
        return false;
      }
    }
    wrote_ = true;
    if (status_ == 200) {
      if (const int err = file_.Truncate(0); err != 0) return WriteFailed(err);
    }
    return true;
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
      StartWriteBack(part_);
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
    if (file_.is_open()) {
      file_.Close();
      RemoveFile(part_);
    }
  }

 private:
  bool Refuse(const std::string& why) {
    failure_ = "Cannot download \"" + options_.url + "\": " + why;
    dropPart_ = true;
    return false;
  }
  bool WriteFailed(int err) {
    failure_ = FileMessage("write", "part file", part_, err);
    dropPart_ = true;
    return false;
  }
  DownloadResult Failed(std::string message, bool keepPart);
  DownloadResult Replace();

  const DownloadOptions& options_;
  const std::string part_;
  DownloadObserver* observer_;
  const std::atomic<bool>* cancel_;
  OsFile file_;
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
  if (file_.is_open()) {
    const int closed = file_.Close();
    // A part is worth keeping only when the next request can ask for the same
    // file; one that this transfer did not touch stays as it was.
    if (wrote_) keepPart = keepPart && closed == 0 && lastModified_ && SetFileModifiedTime(part_, *lastModified_) == 0;
    if (!keepPart) RemoveFile(part_);
  }
  std::int64_t unused = 0;
  result.partKept = FileModifiedTime(part_, unused) == 0;
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

// The checked part file replaces the target in one step, flushed first so
// that a crash cannot leave a target with a hole.
DownloadResult Transfer::Replace() {
  int err = file_.Sync();
  if (err == 0) err = file_.Close();
  if (err != 0) return Failed(FileMessage("write", "part file", part_, err), false);
  if (lastModified_) SetFileModifiedTime(part_, *lastModified_);
  if ((err = RenameFile(part_, options_.target)) != 0) {
    return Failed(FileMessage("replace", "ASTORB file", options_.target, err), false);
  }
  DownloadResult result;
  result.outcome = DownloadOutcome::kDownloaded;
  result.bytes = offset_ + received_;
  result.lines = check_.lines();
  if (lastModified_) result.date = FormatDay(*lastModified_);
  result.message = "Downloaded " + options_.target + ": " + GroupedNumber(result.bytes) + " bytes, " +
                   GroupedNumber(result.lines) + " lines";
  return result;
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
  if (!StartsWith(options.url, "http://") && !StartsWith(options.url, "https://")) {
    DownloadResult result;
    result.message = "Cannot download \"" + options.url + "\": " + TransportReason({TransportError::kBadAddress, {}});
    return result;
  }
  std::optional<std::int64_t> targetTime;
  if (std::int64_t seconds = 0; FileModifiedTime(options.target, seconds) == 0) targetTime = seconds;
  // A 416 (the part is as long as the file, or longer) starts over once.
  for (int attempt = 0;; ++attempt) {
    Transfer transfer(options, observer, cancel);
    if (attempt == 0) {
      transfer.TakeUpPart();
    } else {
      RemoveFile(transfer.part());
    }
    transfer.Begin();
    const TransportResult sent = transfer.cancelled() ? TransportResult{TransportError::kCancelled, {}}
                                                      : transport.Get(transfer.Request(targetTime), transfer);
    transfer.Report();  // the last figures
    if (transfer.status() == 416 && attempt == 0 && sent.error == TransportError::kNone) continue;
    return transfer.Finish(sent, targetTime);
  }
}

}  // namespace orbivane
