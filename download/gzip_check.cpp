#include "gzip_check.h"

#include <cstring>

#include "astorb_record.h"
#include "inflate_backend.h"

namespace orbivane {

namespace {

constexpr std::size_t kBlockSize = 128 * 1024;
constexpr std::size_t kLongestLine = 1000;  // longer than any ASTORB line

}  // namespace

GzipCheck::GzipCheck() : block_(std::make_unique<char[]>(kBlockSize)) { Reset(); }

GzipCheck::~GzipCheck() = default;

void GzipCheck::Reset() {
  backend_ = std::make_unique<InflateBackend>();
  magicSeen_ = 0;
  memberEnded_ = false;
  firstLine_.clear();
  firstLineDone_ = false;
  lines_ = 0;
  problem_.clear();
}

bool GzipCheck::Fail(const char* why) {
  if (problem_.empty()) problem_ = why;
  return false;
}

bool GzipCheck::Feed(const char* data, std::size_t size) {
  if (!problem_.empty()) return false;
  // The magic may come split over two calls; the inflater reads it again itself.
  for (std::size_t i = 0; magicSeen_ < 2 && i < size; ++i) magic_[magicSeen_++] = static_cast<unsigned char>(data[i]);
  if (magicSeen_ >= 1 && magic_[0] != 0x1f) {
    return Fail(magic_[0] == '<' ? "it is an HTML page, not gzip data" : "it is not gzip data");
  }
  if (magicSeen_ == 2 && magic_[1] != 0x8b) return Fail("it is not gzip data");
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  std::size_t available = size;
  std::size_t room = kBlockSize;
  // Also when the input is used up: a full block may leave output inside the inflater.
  while (available > 0 || room == 0) {
    if (memberEnded_) {
      if (available == 0) break;
      backend_->NextMember();  // whatever follows a member must be another member
      memberEnded_ = false;
    }
    char* out = block_.get();
    room = kBlockSize;
    const std::size_t availableBefore = available;
    const InflateBackend::Step step = backend_->Inflate(in, available, out, room);
    Take(block_.get(), kBlockSize - room);
    if (!problem_.empty()) return false;
    const bool stuck = available > 0 && available == availableBefore && room == kBlockSize;
    if (step == InflateBackend::Step::kDamaged || stuck) return Fail("the compressed data is damaged");
    memberEnded_ = step == InflateBackend::Step::kMemberEnd;
  }
  return true;
}

void GzipCheck::Take(const char* text, std::size_t size) {
  const char* p = text;
  const char* end = text + size;
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
    if (!firstLineDone_) {
      firstLine_.append(text, std::min(static_cast<std::size_t>(p - text), kLongestLine - firstLine_.size()));
      firstLineDone_ = true;
      if (!firstLine_.empty() && firstLine_.back() == '\r') firstLine_.pop_back();
      if (!IsAstorbLine(firstLine_)) Fail("its first line is not an ASTORB line");
    }
    ++lines_;
    ++p;
  }
  if (!firstLineDone_) firstLine_.append(text, std::min(size, kLongestLine - firstLine_.size()));
}

bool GzipCheck::Finish() {
  if (!problem_.empty()) return false;
  if (magicSeen_ == 0) return Fail("the file is empty");
  if (!memberEnded_) return Fail("the compressed data ends too soon");
  if (lines_ == 0) return Fail("it holds no line");
  return true;
}

}  // namespace orbivane
