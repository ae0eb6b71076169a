// The compressed-source reader on Intel's ISA-L (igzip).
#include <isa-l/igzip_lib.h>

#include <cstdint>

#include "inflate_backend.h"

namespace orbivane {

struct InflateBackend::State {
  inflate_state stream;
};

InflateBackend::InflateBackend() : state_(std::make_unique<State>()) {
  isal_inflate_init(&state_->stream);
  state_->stream.crc_flag = ISAL_GZIP;  // parse the header, check CRC and length in the trailer
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
  return s.block_state == ISAL_BLOCK_FINISH ? Step::kMemberEnd : Step::kGoing;
}

// The reset keeps the gzip mode; the bytes read ahead past the trailer were
// handed back through next_in.
void InflateBackend::NextMember() { isal_inflate_reset(&state_->stream); }

}  // namespace orbivane
