#include "gzip_check.h"

#include <cstring>

#include "astorb_record.h"
#include "gzip_members.h"
#include "mpcorb_line.h"
#include "source_format.h"

namespace orbivane {

namespace {

constexpr std::size_t kBlockSize = 128 * 1024;
constexpr std::size_t kLongestLine = 1000;  // longer than any line the source reader gives

}  // namespace

GzipCheck::GzipCheck() : block_(std::make_unique<char[]>(kBlockSize)) { Reset(); }

GzipCheck::~GzipCheck() = default;

void GzipCheck::Reset() {
  members_ = std::make_unique<GzipMembers>();
  started_ = false;
  firstLine_.clear();
  firstLineDone_ = false;
  head_.clear();
  formatJudged_ = false;
  mpcorb_ = false;
  partial_.clear();
  lines_ = 0;
  orbitLines_ = 0;
  orbitEpochs_ = EpochTally();
  epochs_ = EpochTally();
  problem_.clear();
}

bool GzipCheck::Fail(const char* why) {
  if (problem_.empty()) problem_ = why;
  return false;
}

bool GzipCheck::Feed(const char* data, std::size_t size) {
  if (!problem_.empty()) return false;
  // An error page says more than "not gzip"; the magic may come split over two calls.
  if (!started_ && size > 0) {
    started_ = true;
    if (data[0] == '<') return Fail("it is an HTML page, not gzip data");
  }
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  std::size_t available = size;
  std::size_t room = 0;
  // Also when the input is used up: a full block may leave output inside the inflater.
  while (available > 0 || room == 0) {
    char* out = block_.get();
    room = kBlockSize;
    members_->Inflate(in, available, false, out, room);
    Take(block_.get(), kBlockSize - room);
    if (!problem_.empty()) return false;
    if (members_->damage() != GzipMembers::Damage::kNone) return Judge();
  }
  return true;
}

// The members' verdict, in the words of the source reader's refusals.
bool GzipCheck::Judge() {
  switch (members_->damage()) {
    case GzipMembers::Damage::kNone:
      return true;
    case GzipMembers::Damage::kEndsEarly:
      return Fail("the compressed data ends too soon");
    case GzipMembers::Damage::kNotGzip:
      return Fail(members_->betweenMembers() ? "data that is not gzip follows the compressed data"
                                             : "it is not gzip data");
    case GzipMembers::Damage::kBadData:
      break;
  }
  return Fail("the compressed data is damaged");
}

void GzipCheck::Take(const char* text, std::size_t size) {
  if (!formatJudged_) head_.append(text, std::min(size, kFormatHeadBytes - head_.size()));
  const char* p = text;
  const char* end = text + size;
  const char* start = text;  // of the line p is in
  epochs_.Block(text, size);
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
    if (!firstLineDone_) {
      firstLine_.append(text, std::min(static_cast<std::size_t>(p - text), kLongestLine - firstLine_.size()));
      firstLineDone_ = true;
      if (!firstLine_.empty() && firstLine_.back() == '\r') firstLine_.pop_back();
      // An ASTORB line or an orbit line tells the format at once, as it does to the source reader.
      formatJudged_ = IsAstorbLine(firstLine_) || IsMpcorbLine(firstLine_);
      mpcorb_ = formatJudged_ && !IsAstorbLine(firstLine_);
    }
    if (partial_.empty()) {
      CountOrbitLine(std::string_view(start, static_cast<std::size_t>(p - start)));
    } else {
      partial_.append(start, std::min(static_cast<std::size_t>(p - start), kLongestLine - partial_.size()));
      CountOrbitLine(partial_);
      partial_.clear();
    }
    ++lines_;
    start = ++p;
  }
  partial_.append(start, std::min(static_cast<std::size_t>(end - start), kLongestLine - partial_.size()));
  if (!firstLineDone_) firstLine_.append(text, std::min(size, kLongestLine - firstLine_.size()));
  if (!formatJudged_ && firstLineDone_ && head_.size() == kFormatHeadBytes) JudgeFormat();
}

// Every line is looked at, since a header tells the format only once the text's start is in.
void GzipCheck::CountOrbitLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (IsMpcorbLine(line.substr(0, kLongestLine - 1))) {
    ++orbitLines_;
    orbitEpochs_.Add(MpcorbEpochOf(line));
  }
}

// A first line that is neither an ASTORB nor an orbit line: MPCORB only when the text's start is a header.
void GzipCheck::JudgeFormat() {
  formatJudged_ = true;
  mpcorb_ = FormatOf(head_) == SourceFormat::kMpcorb;
  if (!mpcorb_) Fail("its first line is not an ASTORB line");
}

bool GzipCheck::Finish() {
  if (!problem_.empty()) return false;
  if (!started_) return Fail("the file is empty");
  std::size_t available = 0;
  const unsigned char* in = nullptr;
  std::size_t room = 0;
  // The rest the inflater holds, then the verdict on where the body ends.
  while (!members_->finished() && members_->damage() == GzipMembers::Damage::kNone) {
    char* out = block_.get();
    room = kBlockSize;
    members_->Inflate(in, available, true, out, room);
    Take(block_.get(), kBlockSize - room);
    if (!problem_.empty()) return false;
  }
  if (!Judge()) return false;
  if (!formatJudged_ && firstLineDone_) JudgeFormat();
  if (!problem_.empty()) return false;
  // A last orbit line without a line break is one too, as the source reader counts it.
  if (!partial_.empty()) CountOrbitLine(partial_);
  partial_.clear();
  if (lines_ == 0) return Fail("it holds no line");
  return true;
}

}  // namespace orbivane
