// Reads a source file line by line through one fixed buffer, so memory does
// not grow with the file. A line ends at LF; a CR directly before the LF is
// not part of it; a line longer than 999 characters yields its first 999 and
// the rest of it is skipped, so one source line is always one line here.
#pragma once

#include <cstddef>
#include <string_view>

#include "os_file.h"

namespace orbivane {

inline constexpr std::size_t kMaxLineLength = 999;

class LineReader {
 public:
  explicit LineReader(OsFile& file) : file_(file) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line, valid until the next call. False at the end of the file
  // (a last line without LF is still a line) and on a read error.
  bool Next(std::string_view& line);
  // The system error of a failed read, 0 when Next stopped at the end.
  int error() const { return error_; }

 private:
  bool Fill();
  bool NextSpanning(std::string_view& line);

  static constexpr std::size_t kBufferSize = 128 * 1024;

  OsFile& file_;
  const char* pos_ = buffer_;
  const char* end_ = buffer_;
  int error_ = 0;
  bool eof_ = false;
  char buffer_[kBufferSize];
  // A line that runs across a refill is gathered here: 999 characters, and
  // one more to tell whether a CR stood at the end.
  char spill_[kMaxLineLength + 1];
};

}  // namespace orbivane
