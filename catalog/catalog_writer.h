// Writes the output catalog so that a failed run never leaves a truncated file
// where a good one was: the records go to a temporary file in the output's
// folder, which replaces the output only once it is complete and on disk. An
// output that exists and is not a regular file (a device, a FIFO) is written
// in place instead, and never replaced.
//
// A killed run leaves nothing behind where it can: the temporary file has no
// name until just before it replaces the output. Where the file system needs
// a name from the start, an interrupt deletes the file. What a run killed
// while its temporary file had a name left, the next run to the same output
// deletes: only names of TemporaryName's exact form for that output, of
// processes of this host that are gone, so that no file of anyone else's goes.
#pragma once

#include <string>
#include <string_view>

#include "file_replacement.h"
#include "os_file.h"
#include "status.h"

namespace orbivane {

// The temporary file's name beside `target` for a process of a host (see
// ProcessHost): ".NAME.PROCESS-SERIAL-CHECK.tmp", where CHECK is a hash of
// the rest and of the host.
std::string TemporaryName(const std::string& target, long long process, unsigned serial, const std::string& host);

class CatalogWriter {
 public:
  CatalogWriter() = default;
  ~CatalogWriter();  // abandons an uncommitted file
  CatalogWriter(const CatalogWriter&) = delete;
  CatalogWriter& operator=(const CatalogWriter&) = delete;

  Status Open(const std::string& path);
  // Buffers the text; a write error is kept and reported by failed() and Commit.
  void Write(std::string_view text) {
    if (text.size() <= kBufferSize - used_) {
      text.copy(buffer_ + used_, text.size());
      used_ += text.size();
    } else {
      WriteSlow(text);
    }
  }
  bool failed() const { return error_ != 0; }
  // Flushes, syncs and closes the file and moves it into place.
  Status Commit();
  // Closes and deletes the temporary file; the output stays as it was.
  void Abandon();

 private:
  void WriteSlow(std::string_view text);
  void Flush();
  Status WriteFailure() const;

  static constexpr std::size_t kBufferSize = 64 * 1024;

  // Names the temporary file with `make` (CreateExclusive or LinkAs).
  int NameTemporary(int (OsFile::*make)(const std::string&));

  std::string path_;        // the output as the user named it
  ReplacedFile replaced_;   // the file that is replaced (links resolved)
  std::string temporary_;   // the temporary file's name once it has one
  bool inPlace_ = false;    // writing into the output itself
  int interruptSlot_ = -1;  // the temporary file goes on an interrupt
  OsFile file_;
  int error_ = 0;
  std::size_t used_ = 0;
  char buffer_[kBufferSize];
};

}  // namespace orbivane
