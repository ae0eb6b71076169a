// The deflate library under the compressed-source reader, chosen when the
// program is built (ORBIVANE_INFLATE): ISA-L where the platform has it, for
// it inflates about 2.5 times faster, zlib elsewhere. Exactly one of
// inflate_isal.cpp and inflate_zlib.cpp is linked into a program. Each
// inflates only the raw deflate data of a member: the gzip header and
// trailer around it are read by the same code whichever library runs
// (gzip_wrapper.h), so both builds take and refuse the same files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orbivane {

class InflateBackend {
 public:
  enum class Step {
    kGoing,    // needs more input or more room
    kDataEnd,  // the member's last deflate block ended; its trailer follows
    kDamaged,  // bad deflate data
  };
  // The most bytes an inflater holds back past the end of the deflate data.
  static constexpr std::size_t kMaxReadAhead = 8;

  InflateBackend();
  ~InflateBackend();
  InflateBackend(const InflateBackend&) = delete;
  InflateBackend& operator=(const InflateBackend&) = delete;

  // Inflates raw deflate data from `in` into `out`, moving both past what was
  // taken and given. Sizes stay below 4 GiB.
  Step Inflate(const unsigned char*& in, std::size_t& inSize, char*& out, std::size_t& outSize);
  // After kDataEnd: the bytes that follow the deflate data which the inflater
  // took from `in` but did not use, copied to `to` (room for kMaxReadAhead).
  std::size_t TakeReadAhead(unsigned char* to);
  // Starts over for the deflate data of the next member.
  void NextMember();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The gzip CRC-32 of `size` bytes, continuing `crc` (0 to start), with the
// library's own routine.
std::uint32_t Crc32(std::uint32_t crc, const unsigned char* bytes, std::size_t size);

}  // namespace orbivane
