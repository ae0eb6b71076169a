// The compressed-source reader on Intel's ISA-L (igzip), in raw deflate mode.
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include "inflate_backend.h"

namespace orbivane {

struct InflateBackend::State {
  inflate_state stream;
};

InflateBackend::InflateBackend() : state_(std::make_unique<State>()) {
  isal_inflate_init(&state_->stream);
  state_->stream.crc_flag = ISAL_DEFLATE;  // ISA-L's own gzip header reading depends on where its input is cut
}

InflateBackend::~InflateBackend() = default;

InflateBackend::Step InflateBackend::Inflate(const unsigned char*& in, std::size_t& inSize, char*& out,
                                             std::size_t& outSize) {
  inflate_state& s = state_->stream;
  // ISA-L does not write through next_in; its field is merely not const.
  s.next_in = const_cast<std::uint8_t*>(in);
  s.avail_in = static_cast<std::uint32_t>(inSize);
  s.next_out = reinterpret_cast<std::uint8_t*>(out);
  s.avail_out = static_cast<std::uint32_t>(outSize);
  const int result = isal_inflate(&s);
  in = s.next_in;
  inSize = s.avail_in;
  out = reinterpret_cast<char*>(s.next_out);
  outSize = s.avail_out;
  if (result < 0) return Step::kDamaged;
  return s.block_state == ISAL_BLOCK_FINISH ? Step::kDataEnd : Step::kGoing;
}

// ISA-L reads its input 8 bytes at a time into a bit buffer; at the end of
// the deflate data the whole bytes left there are the start of the trailer.
std::size_t InflateBackend::TakeReadAhead(unsigned char* to) {
  inflate_state& s = state_->stream;
  const std::size_t count = static_cast<std::size_t>(s.read_in_length) / 8;
  const std::uint64_t bits = s.read_in >> (s.read_in_length % 8);
  for (std::size_t i = 0; i < count; ++i) to[i] = static_cast<unsigned char>(bits >> (8 * i));
  s.read_in = 0;
  s.read_in_length = 0;
  return count;
}

void InflateBackend::NextMember() { isal_inflate_reset(&state_->stream); }

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* bytes, std::size_t size) {
  return crc32_gzip_refl(crc, bytes, size);
}

}  // namespace orbivane
