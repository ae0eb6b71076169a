// The check of a downloaded astorb.dat.gz while its bytes arrive, with no
// second pass over the file: a complete gzip stream (members one after
// another, each with its CRC and length right, nothing else after them, as
// the source reader reads it), at least one line, and a first line that reads
// as an ASTORB line. It reads the members as the source reader does (gzip_members.h)
// and keeps only one output block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "source_epochs.h"

namespace orbivane {

class GzipMembers;

class GzipCheck {
 public:
  GzipCheck();
  ~GzipCheck();
  GzipCheck(const GzipCheck&) = delete;
  GzipCheck& operator=(const GzipCheck&) = delete;

  // The next bytes of the body; false once they are found wrong (see problem()).
  bool Feed(const char* data, std::size_t size);
  // After the last byte: whether the whole body passed.
  bool Finish();
  // Forgets everything, for a body that starts over.
  void Reset();

  // Why the body was refused, e.g. "the compressed data is damaged"; empty while it passes.
  const std::string& problem() const { return problem_; }
  // The lines that end with a line break, so far.
  std::int64_t lines() const { return lines_; }
  // The epochs of those lines, so far.
  const EpochTally& epochs() const { return epochs_; }

 private:
  bool Fail(const char* why);
  void Take(const char* text, std::size_t size);

  bool Judge();

  std::unique_ptr<GzipMembers> members_;
  std::unique_ptr<char[]> block_;
  bool started_ = false;
  std::string firstLine_;
  bool firstLineDone_ = false;
  std::int64_t lines_ = 0;
  EpochTally epochs_;
  std::string problem_;
};

}  // namespace orbivane
