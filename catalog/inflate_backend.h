// The deflate library under the compressed-source reader, chosen when the
// program is built (ORBIVANE_INFLATE): ISA-L where the platform has it, for
// it inflates about 2.5 times faster, zlib elsewhere. Exactly one of
// inflate_isal.cpp and inflate_zlib.cpp is compiled; both take the same
// steps, so the reader above them cannot tell which one runs.
#pragma once

#include <cstddef>
#include <memory>

namespace orbivane {

class InflateBackend {
 public:
  enum class Step {
    kGoing,      // needs more input or more room
    kMemberEnd,  // a gzip member ended and its trailer matched
    kDamaged,    // bad header, bad data, or a trailer that does not match
  };

  InflateBackend();
  ~InflateBackend();
  InflateBackend(const InflateBackend&) = delete;
  InflateBackend& operator=(const InflateBackend&) = delete;

  // Inflates gzip data from `in` into `out`, moving both past what was taken
  // and given. Sizes stay below 4 GiB.
  Step Inflate(const unsigned char*& in, std::size_t& inSize, char*& out, std::size_t& outSize);
  // Starts over for the member that follows the one that ended.
  void NextMember();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orbivane
