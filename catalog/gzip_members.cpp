#include "gzip_members.h"

namespace orbivane {

void GzipMembers::Inflate(const unsigned char*& in, std::size_t& available, bool inputEnds, char*& out,
                          std::size_t& room) {
  while (room > 0 && !finished_ && damage_ == Damage::kNone) {
    if (part_ == Part::kHeader) {
      if (available == 0) {
        if (!inputEnds) return;
        // Where a member ended, the input may end.
        if (betweenMembers()) {
          finished_ = true;
        } else {
          damage_ = Damage::kEndsEarly;
        }
        continue;
      }
      const GzipHeader::Result result = header_.Take(in, available);
      if (result == GzipHeader::Result::kDone) {
        part_ = Part::kData;
      } else if (result != GzipHeader::Result::kMore) {
        // After a member, whatever follows must be another member.
        damage_ = result == GzipHeader::Result::kNotGzip ? Damage::kNotGzip : Damage::kBadData;
      }
    } else if (part_ == Part::kData) {
      // Called even when the input is used up: the backend may still hold some.
      const std::size_t availableBefore = available;
      char* const text = out;
      const InflateBackend::Step step = backend_.Inflate(in, available, out, room);
      trailer_.Count(text, static_cast<std::size_t>(out - text));
      if (step == InflateBackend::Step::kDataEnd) {
        unsigned char held[InflateBackend::kMaxReadAhead];
        const unsigned char* from = held;
        std::size_t count = backend_.TakeReadAhead(held);
        trailer_.Take(from, count);
        part_ = Part::kTrailer;
      } else if (step == InflateBackend::Step::kDamaged) {
        damage_ = Damage::kBadData;
      } else if (available == availableBefore && out == text) {
        if (available > 0) {
          damage_ = Damage::kBadData;
        } else if (inputEnds) {
          damage_ = Damage::kEndsEarly;
        } else {
          return;
        }
      }
    } else if (!trailer_.Take(in, available)) {  // the input is used up
      if (!inputEnds) return;
      damage_ = Damage::kEndsEarly;
    } else if (!trailer_.Matches()) {
      damage_ = Damage::kBadData;
    } else {
      backend_.NextMember();
      header_.Restart();
      trailer_.Restart();
      part_ = Part::kHeader;
      firstMember_ = false;
    }
  }
}

}  // namespace orbivane
