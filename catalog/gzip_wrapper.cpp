#include "gzip_wrapper.h"

#include <algorithm>
#include <cstring>

#include "inflate_backend.h"

namespace orbivane {

namespace {

// FTEXT (0x01) is only a hint.
constexpr unsigned char kHeaderCrc = 0x02, kExtra = 0x04, kName = 0x08, kComment = 0x10;
constexpr unsigned char kReserved = 0xE0;

std::uint32_t Little(const unsigned char* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

GzipHeader::Result GzipHeader::Take(const unsigned char*& in, std::size_t& size) {
  while (field_ != Field::kDone) {
    if (size == 0) return Result::kMore;
    std::size_t n = 0;
    bool whole = false;
    if (field_ == Field::kName || field_ == Field::kComment) {  // up to and with its NUL
      const void* nul = std::memchr(in, 0, size);
      whole = nul != nullptr;
      n = whole ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - in) + 1 : size;
    } else {
      n = std::min(size, want_ - got_);
      if (field_ != Field::kExtra) std::memcpy(bytes_ + got_, in, n);
      got_ += n;
      whole = got_ == want_;
    }
    if (field_ == Field::kFixed) {
      if ((got_ > 0 && bytes_[0] != 0x1f) || (got_ > 1 && bytes_[1] != 0x8b)) return Result::kNotGzip;
      if ((got_ > 2 && bytes_[2] != 8) || (got_ > 3 && (bytes_[3] & kReserved) != 0)) return Result::kBad;
    }
    if (field_ == Field::kCrc) {
      if (whole && Little(bytes_, 2) != (crc_ & 0xffff)) return Result::kBad;
    } else {
      crc_ = Crc32(crc_, in, n);
    }
    in += n;
    size -= n;
    if (whole) Next();
  }
  return Result::kDone;
}

// The field after the current one, of those the flags name, in their order.
void GzipHeader::Next() {
  static constexpr struct { Field field; unsigned char flag; } kOptional[] = {
      {Field::kExtraLength, kExtra}, {Field::kExtra, kExtra}, {Field::kName, kName},
      {Field::kComment, kComment},   {Field::kCrc, kHeaderCrc},
  };
  if (field_ == Field::kFixed) flags_ = bytes_[3];
  want_ = field_ == Field::kExtraLength ? Little(bytes_, 2) : 2;  // the extra field's length, or 2 for the others
  got_ = 0;
  const Field after = field_;
  field_ = Field::kDone;
  for (const auto& optional : kOptional) {
    if (optional.field > after && (flags_ & optional.flag) != 0) {
      field_ = optional.field;
      return;
    }
  }
}

void GzipTrailer::Count(const char* text, std::size_t size) {
  crc_ = Crc32(crc_, reinterpret_cast<const unsigned char*>(text), size);
  length_ += static_cast<std::uint32_t>(size);  // modulo 2^32, as the trailer holds it
}

bool GzipTrailer::Take(const unsigned char*& in, std::size_t& size) {
  const std::size_t n = std::min(size, kSize - got_);
  std::memcpy(bytes_ + got_, in, n);
  got_ += n;
  in += n;
  size -= n;
  return got_ == kSize;
}

bool GzipTrailer::Matches() const { return Little(bytes_, 4) == crc_ && Little(bytes_ + 4, 4) == length_; }

}  // namespace orbivane
