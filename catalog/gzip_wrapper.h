// The gzip wrapper around each member's deflate data (RFC 1952), read as
// `gzip -d` reads it, one piece at a time, so that where the file's blocks
// fall never matters. The header: the magic, method 8 (deflate), flags
// without the reserved bits 0xE0 (0x20 marks an encrypted member, which
// gzip refuses too), the time, extra flags and system, then as the flags say
// an extra field (FEXTRA), a name (FNAME), a comment (FCOMMENT) and a CRC16
// of the header (FHCRC), which must match; FTEXT is a hint and changes
// nothing. The trailer: the CRC-32 of the member's text and its length
// modulo 2^32.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orbivane {

class GzipHeader {
 public:
  enum class Result {
    kMore,     // every byte given was taken; the header goes on
    kDone,     // the header is whole and sound; `in` is at the deflate data
    kNotGzip,  // the bytes do not start with the gzip magic
    kBad,      // a method, flag or header CRC that gzip -d refuses
  };

  // Takes the header's bytes from `in`, moving it past them.
  Result Take(const unsigned char*& in, std::size_t& size);
  // Whether no byte of a header has been taken yet.
  bool empty() const { return field_ == Field::kFixed && got_ == 0; }
  void Restart() { *this = GzipHeader(); }

 private:
  enum class Field { kFixed, kExtraLength, kExtra, kName, kComment, kCrc, kDone };  // in the order they come
  void Next();

  Field field_ = Field::kFixed;
  std::size_t want_ = 10;  // bytes of the current field, for the fixed-size ones
  std::size_t got_ = 0;
  unsigned char bytes_[10] = {};  // of the fixed part, the extra length or the CRC16
  unsigned char flags_ = 0;
  std::uint32_t crc_ = 0;  // of the header so far
};

// A member's text as it is inflated, and its trailer to match it against.
class GzipTrailer {
 public:
  static constexpr std::size_t kSize = 8;

  void Count(const char* text, std::size_t size);
  // Takes up to the trailer's missing bytes from `in`; true once it is whole.
  bool Take(const unsigned char*& in, std::size_t& size);
  bool Matches() const;
  void Restart() { *this = GzipTrailer(); }

 private:
  std::uint32_t crc_ = 0;
  std::uint32_t length_ = 0;
  unsigned char bytes_[kSize] = {};
  std::size_t got_ = 0;
};

}  // namespace orbivane
