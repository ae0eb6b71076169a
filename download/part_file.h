// The part file of one download: TARGET.part beside the file it will
// replace, held open and locked by that download from its start to its end.
// A second download into the same file finds the lock taken and leaves
// everything alone, and whatever is done to the part by name (deleting it,
// renaming it over the target) is done to the very file this download wrote
// and checked: every download that touches a part by name holds its lock.
#pragma once

#include <cstdint>
#include <string>

#include "os_file.h"

namespace orbivane {

class PartFile {
 public:
  explicit PartFile(std::string path) : path_(std::move(path)) {}
  ~PartFile();  // closes (and so unlocks) a part that is still open
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Opens the part, making an empty one when there is none, and locks it:
  // 0, EWOULDBLOCK when another download holds it, or the system's error.
  int Own();

  const std::string& path() const { return path_; }
  OsFile& file() { return file_; }
  // Its size now; 0 when that cannot be told.
  std::int64_t Size() const;
  // Empties it, for a body that starts over.
  int StartOver();
  // Whether the name still names the file this download holds.
  bool StillOurs() const;
  // Deletes and closes it.
  void Drop();
  // Closes it and leaves it for the next download; an empty part is dropped,
  // being of no use to one.
  void Keep();

 private:
  const std::string path_;
  OsFile file_;
};

}  // namespace orbivane
