// The text of a source catalog, block by block, as everything that reads the
// source sees it. A file whose first two bytes are the gzip magic (0x1f 0x8b)
// is inflated on the way, its members one after another as `gzip -d` reads
// them; any other file is read as it is. The name does not decide, so a
// renamed file is read either way.
//
// The inflater writes straight into the caller's block, takes the file in
// blocks of its own fixed size and keeps nothing else, so memory stays flat
// whatever the compression ratio; and it inflates only as far as the caller
// reads, so a run that stops early leaves the rest of the file untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gzip_members.h"
#include "os_file.h"

namespace orbivane {

// A block that file data is read into. Page-aligned because some processors
// copy from the page cache several times slower into a destination that is
// aligned unlike the source (a heap block starts 16 bytes into its page).
struct alignas(4096) ReadBlock {
  static constexpr std::size_t kSize = 128 * 1024;
  char bytes[kSize];
};

class SourceStream {
 public:
  explicit SourceStream(OsFile& file);
  ~SourceStream();
  SourceStream(const SourceStream&) = delete;
  SourceStream& operator=(const SourceStream&) = delete;

  // Up to `size` bytes of text (`size` at least 2, so that the first call
  // sees the magic): the count, 0 at the end, -1 on failure.
  // Text that lies before a failure is given out first; the failure comes
  // with the next call, so a reader that stops before it never sees it.
  std::ptrdiff_t Read(char* buffer, std::size_t size);

  // Whether a Read has returned -1.
  bool failed() const { return failed_; }
  // The system error of a failed read; 0 when the compressed data is damaged.
  int error() const { return failed_ ? error_ : 0; }
  // Why reading failed, for the source file `path`; `line` is the line the
  // reader had reached (counted from 1), to say where the damage lies.
  std::string FailureMessage(const std::string& path, std::int64_t line) const;

 private:
  using Damage = GzipMembers::Damage;
  struct Gzip;

  std::ptrdiff_t Start(char* buffer, std::size_t size);
  std::ptrdiff_t Inflate(char* buffer, std::size_t size);
  bool Refill(std::size_t kept = 0);

  OsFile& file_;
  std::unique_ptr<Gzip> gzip_;  // set while a compressed file is read
  bool started_ = false;
  int error_ = 0;                  // found, and reported by the next Read
  Damage damage_ = Damage::kNone;  // likewise
  bool failed_ = false;
};

}  // namespace orbivane
