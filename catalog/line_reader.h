// Reads a source file line by line through one fixed buffer, so memory does
// not grow with the file. A line ends at LF; a CR directly before the LF is
// not part of it; a line longer than 999 characters yields its first 999 and
// the rest of it is skipped, so one source line is always one line here.
// A compressed source gives the lines of its text (see SourceStream).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "os_file.h"
#include "source_epochs.h"
#include "source_stream.h"

namespace orbivane {

inline constexpr std::size_t kMaxLineLength = 999;

class LineReader {
 public:
  explicit LineReader(OsFile& file) : stream_(file) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line, valid until the next call. False at the end of the file
  // (a last line without LF is still a line) and when reading failed.
  bool Next(std::string_view& line) {
    // Inline for the common line, which ends inside the block: a source has over a million of them.
    if (pos_ != end_) {
      const auto* lf = static_cast<const char*>(std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_)));
      if (lf != nullptr) {
        line = Finish(pos_, static_cast<std::size_t>(lf - pos_));
        pos_ = lf + 1;
        return true;
      }
    }
    return NextSlow(line);
  }
  // The text from the next line on, at least `size` bytes of it (at most a
  // block's) unless the text ends or reading fails first; Next still gives
  // every line from where it stood.
  std::string_view Ahead(std::size_t size);
  // Counts the LF bytes from the next line to the end of the text, a block at
  // a time, adding them to `count`; `onProgress` gets the running count after
  // each block. The reader is at the end (or failed) afterwards. A tally,
  // when given, sees the text from the next line on, block by block.
  void CountLineBreaks(std::int64_t& count, const std::function<void(std::int64_t)>& onProgress,
                       EpochTally* tally = nullptr);

  // Whether Next stopped because reading failed, not at the end.
  bool failed() const { return failed_; }
  // The system error of a failed read, 0 when Next stopped at the end or at
  // damaged compressed data.
  int error() const { return failed_ ? stream_.error() : 0; }
  // Why reading failed; `line` is the line Next was asked for.
  std::string FailureMessage(const std::string& path, std::int64_t line) const {
    return stream_.FailureMessage(path, line);
  }

 private:
  // Drops the CR before the LF and cuts to 999 characters. `length` is the
  // line's full length; only its first min(length, 1000) characters are at hand.
  static std::string_view Finish(const char* text, std::size_t length) {
    if (length > 0 && length <= kMaxLineLength + 1 && text[length - 1] == '\r') --length;
    return std::string_view(text, length < kMaxLineLength ? length : kMaxLineLength);
  }
  bool Fill();
  bool NextSlow(std::string_view& line);
  bool NextSpanning(std::string_view& line);

  SourceStream stream_;
  const char* pos_ = buffer_.bytes;
  const char* end_ = buffer_.bytes;
  bool eof_ = false;
  // A failure the stream met is this reader's only once the text before it is used up: text read ahead does not
  // fail a reader that stops before its end.
  bool failed_ = false;
  ReadBlock buffer_;
  // A line that runs across a refill is gathered here: 999 characters, and
  // one more to tell whether a CR stood at the end.
  char spill_[kMaxLineLength + 1];
};

}  // namespace orbivane
