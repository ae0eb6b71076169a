#include "line_reader.h"

#include <algorithm>
#include <cstring>

namespace orbivane {

bool LineReader::Fill() {
  failed_ = stream_.failed();
  if (eof_ || failed_) return false;
  const std::ptrdiff_t n = stream_.Read(buffer_.bytes, ReadBlock::kSize);
  if (n <= 0) {
    eof_ = n == 0;
    failed_ = n < 0;
    return false;
  }
  pos_ = buffer_.bytes;
  end_ = buffer_.bytes + n;
  return true;
}

std::string_view LineReader::Ahead(std::size_t size) {
  size = std::min(size, ReadBlock::kSize);
  while (static_cast<std::size_t>(end_ - pos_) < size && !eof_ && !stream_.failed()) {
    const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
    std::memmove(buffer_.bytes, pos_, kept);
    pos_ = buffer_.bytes;
    end_ = buffer_.bytes + kept;
    const std::ptrdiff_t n = stream_.Read(buffer_.bytes + kept, ReadBlock::kSize - kept);
    if (n <= 0) {
      eof_ = n == 0;
      break;
    }
    end_ += n;
  }
  return std::string_view(pos_, static_cast<std::size_t>(end_ - pos_));
}

void LineReader::CountLineBreaks(std::int64_t& count, const std::function<void(std::int64_t)>& onProgress,
                                 EpochTally* tally) {
  do {
    if (pos_ == end_) continue;
    if (tally != nullptr) {
      // The tally finds the line breaks itself: one scan of the block.
      count += tally->Block(pos_, static_cast<std::size_t>(end_ - pos_));
    } else {
      for (const char* p = pos_;
           (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end_ - p)))) != nullptr; ++p) {
        ++count;
      }
    }
    pos_ = end_;
    if (onProgress) onProgress(count);
  } while (Fill());
}

bool LineReader::NextSlow(std::string_view& line) {
  if (pos_ == end_ && !Fill()) return false;
  const auto* lf = static_cast<const char*>(std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_)));
  if (lf == nullptr) return NextSpanning(line);
  line = Finish(pos_, static_cast<std::size_t>(lf - pos_));
  pos_ = lf + 1;
  return true;
}

bool LineReader::NextSpanning(std::string_view& line) {
  std::size_t length = 0;  // the line's full length so far
  for (;;) {
    const auto* lf = static_cast<const char*>(std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_)));
    const char* stop = lf != nullptr ? lf : end_;
    const std::size_t chunk = static_cast<std::size_t>(stop - pos_);
    if (length < sizeof spill_) std::memcpy(spill_ + length, pos_, std::min(chunk, sizeof spill_ - length));
    length += chunk;
    pos_ = stop;
    if (lf != nullptr) {
      ++pos_;
      break;
    }
    if (!Fill()) {
      if (failed_) return false;
      if (length == 0) return false;
      // The last line has no LF; a CR at its very end stays part of it.
      line = std::string_view(spill_, std::min(length, kMaxLineLength));
      return true;
    }
  }
  line = Finish(spill_, length);
  return true;
}

}  // namespace orbivane
