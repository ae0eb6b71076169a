// The compressed-source reader on zlib, for builds without ISA-L, in raw
// deflate mode.
#define ZLIB_CONST
#include <zlib.h>

#include <new>

#include "inflate_backend.h"

namespace orbivane {

namespace {

constexpr int kRawDeflate = -MAX_WBITS;  // no wrapper, the largest window

}  // namespace

struct InflateBackend::State {
  z_stream stream{};
  ~State() { inflateEnd(&stream); }
};

InflateBackend::InflateBackend() : state_(std::make_unique<State>()) {
  if (inflateInit2(&state_->stream, kRawDeflate) != Z_OK) throw std::bad_alloc();
}

InflateBackend::~InflateBackend() = default;

InflateBackend::Step InflateBackend::Inflate(const unsigned char*& in, std::size_t& inSize, char*& out,
                                             std::size_t& outSize) {
  z_stream& s = state_->stream;
  s.next_in = in;
  s.avail_in = static_cast<uInt>(inSize);
  s.next_out = reinterpret_cast<Bytef*>(out);
  s.avail_out = static_cast<uInt>(outSize);
  const int result = inflate(&s, Z_NO_FLUSH);
  in = s.next_in;
  inSize = s.avail_in;
  out = reinterpret_cast<char*>(s.next_out);
  outSize = s.avail_out;
  switch (result) {
    case Z_OK:
    case Z_BUF_ERROR:  // no progress: more input or more room is needed
      return Step::kGoing;
    case Z_STREAM_END:
      return Step::kDataEnd;
    case Z_MEM_ERROR:
      throw std::bad_alloc();
    default:  // Z_DATA_ERROR, and Z_NEED_DICT, which raw deflate data cannot ask for
      return Step::kDamaged;
  }
}

// zlib stops at the last byte of the deflate data and leaves the rest in `in`.
std::size_t InflateBackend::TakeReadAhead(unsigned char*) { return 0; }

void InflateBackend::NextMember() { inflateReset(&state_->stream); }

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* bytes, std::size_t size) {
  return static_cast<std::uint32_t>(crc32_z(crc, bytes, size));
}

}  // namespace orbivane
