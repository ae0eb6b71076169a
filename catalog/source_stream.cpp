#include "source_stream.h"

#include <algorithm>
#include <cstring>

#include "file_message.h"

namespace orbivane {

namespace {

bool HasGzipMagic(const char* bytes, std::size_t size) {
  return size >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f && static_cast<unsigned char>(bytes[1]) == 0x8b;
}

}  // namespace

struct SourceStream::Gzip {
  GzipMembers members;
  ReadBlock input;
  const unsigned char* next = nullptr;
  std::size_t available = 0;
  bool fileEnded = false;
};

SourceStream::SourceStream(OsFile& file) : file_(file) {}

SourceStream::~SourceStream() = default;

std::ptrdiff_t SourceStream::Read(char* buffer, std::size_t size) {
  std::ptrdiff_t n = -1;
  if (error_ == 0 && damage_ == Damage::kNone) {
    if (!started_) {
      n = Start(buffer, size);
    } else if (gzip_) {
      n = Inflate(buffer, size);
    } else {
      n = file_.Read(buffer, size, error_);
    }
  }
  failed_ = n < 0;
  return n;
}

// The first block decides. It is read until it holds two bytes (a pipe may
// give them one at a time) or the file ends; a compressed file's first
// block becomes the inflater's first input.
std::ptrdiff_t SourceStream::Start(char* buffer, std::size_t size) {
  started_ = true;
  std::size_t got = 0;
  // No more than the inflater's input block holds, should this first block become its input.
  const std::size_t first = std::min(size, ReadBlock::kSize);
  while (got < 2 && got < first) {
    const std::ptrdiff_t n = file_.Read(buffer + got, first - got, error_);
    if (n < 0) return got > 0 ? static_cast<std::ptrdiff_t>(got) : -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (!HasGzipMagic(buffer, got)) return static_cast<std::ptrdiff_t>(got);
  gzip_ = std::make_unique<Gzip>();
  std::memcpy(gzip_->input.bytes, buffer, got);
  if (!Refill(got)) return -1;
  return Inflate(buffer, size);
}

// The members one after another, the input block refilled whenever they
// have used it up.
std::ptrdiff_t SourceStream::Inflate(char* buffer, std::size_t size) {
  Gzip& gz = *gzip_;
  char* out = buffer;
  std::size_t room = size;
  while (room > 0 && !gz.members.finished() && gz.members.damage() == GzipMembers::Damage::kNone) {
    if (gz.available == 0 && !gz.fileEnded && !Refill()) break;
    gz.members.Inflate(gz.next, gz.available, gz.fileEnded, out, room);
  }
  damage_ = gz.members.damage();
  const std::size_t produced = size - room;
  if (produced > 0) return static_cast<std::ptrdiff_t>(produced);
  return error_ != 0 || damage_ != Damage::kNone ? -1 : 0;
}

// Fills the whole input block, after the `kept` bytes at its start, unless
// the file ends first: a pipe may give a few bytes per read, and the
// inflater is never handed a sliver.
bool SourceStream::Refill(std::size_t kept) {
  Gzip& gz = *gzip_;
  std::size_t filled = kept;
  while (filled < ReadBlock::kSize) {
    const std::ptrdiff_t n = file_.Read(gz.input.bytes + filled, ReadBlock::kSize - filled, error_);
    if (n < 0) return false;
    if (n == 0) {
      gz.fileEnded = true;
      break;
    }
    filled += static_cast<std::size_t>(n);
  }
  gz.next = reinterpret_cast<const unsigned char*>(gz.input.bytes);
  gz.available = filled;
  return true;
}

std::string SourceStream::FailureMessage(const std::string& path, std::int64_t line) const {
  if (error_ != 0) return FileMessage("read", "source catalog", path, error_);
  const std::string at = " at line " + std::to_string(line);
  std::string reason = "Compressed data damaged" + at;
  if (damage_ == Damage::kEndsEarly) reason += " (the file ends too soon)";
  if (damage_ == Damage::kNotGzip) reason = "Compressed data ends" + at + ", followed by data that is not gzip";
  return FileMessage("read", "source catalog", path, reason);
}

}  // namespace orbivane
