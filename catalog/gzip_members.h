// The members of a gzip file one after another, as `gzip -d` reads them:
// each header and trailer read by gzip_wrapper.h, the deflate data between
// them by the backend. It is fed whatever input there is, so the source
// reader (which pulls blocks from a file) and the download check (which is
// handed the body as it arrives) share one reading of the format.
#pragma once

#include <cstddef>

#include "gzip_wrapper.h"
#include "inflate_backend.h"

namespace orbivane {

class GzipMembers {
 public:
  enum class Damage { kNone, kBadData, kEndsEarly, kNotGzip };

  // Inflates from `in` into `out`, moving both past what was taken and
  // given. It returns once `out` is full, the last member has ended, damage
  // is found, or it needs more input; `inputEnds` says that no byte follows
  // those in `in`, so that the stream must end there.
  void Inflate(const unsigned char*& in, std::size_t& available, bool inputEnds, char*& out, std::size_t& room);

  // Whether the last member ended where the input ends.
  bool finished() const { return finished_; }
  Damage damage() const { return damage_; }
  // Whether a member has ended and nothing of another has begun.
  bool betweenMembers() const { return part_ == Part::kHeader && header_.empty() && !firstMember_; }

 private:
  enum class Part { kHeader, kData, kTrailer };

  InflateBackend backend_;
  GzipHeader header_;
  GzipTrailer trailer_;
  Part part_ = Part::kHeader;
  bool firstMember_ = true;
  bool finished_ = false;
  Damage damage_ = Damage::kNone;
};

}  // namespace orbivane
