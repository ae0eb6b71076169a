// The check of a downloaded astorb.dat.gz or MPCORB.DAT.gz while its bytes
// arrive, with no second pass over the file: a complete gzip stream (members
// one after another, each with its CRC and length right, nothing else after
// them, as the source reader reads it), at least one line, and a first line
// that reads as an ASTORB line or a text that the source reader takes for
// MPCORB (source_format.h). It reads the members as the source reader does
// (gzip_members.h) and keeps only one output block, the text's first 16 KiB
// and a line that runs across blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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
  // The Total of the text so far, as the source reader counts it: the lines
  // that end with a line break, or the orbit lines of an MPCORB text.
  std::int64_t lines() const { return mpcorb_ ? orbitLines_ : lines_; }
  // The epochs of those lines, so far.
  const EpochTally& epochs() const { return mpcorb_ ? orbitEpochs_ : epochs_; }

 private:
  bool Fail(const char* why);
  void Take(const char* text, std::size_t size);

  bool Judge();
  // Tells the format from the text's start, once: refuses a text that is neither.
  void JudgeFormat();
  void CountOrbitLine(std::string_view line);

  std::unique_ptr<GzipMembers> members_;
  std::unique_ptr<char[]> block_;
  bool started_ = false;
  std::string firstLine_;
  bool firstLineDone_ = false;
  std::string head_;     // the text's start, up to kFormatHeadBytes
  bool formatJudged_ = false;
  bool mpcorb_ = false;
  std::string partial_;  // the start of a line that runs on into the next block
  std::int64_t lines_ = 0;
  std::int64_t orbitLines_ = 0;
  EpochTally epochs_;        // of the lines, as an ASTORB text
  EpochTally orbitEpochs_;   // of the orbit lines, as an MPCORB text
  std::string problem_;
};

}  // namespace orbivane
