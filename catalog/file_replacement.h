// Replacing a file the user named, the same way for a new catalog and for a
// download: the new bytes go to a file beside the one replaced, which takes
// its place in one rename once it is complete and on disk.
//
// - A symbolic link is written through: the file it points to is replaced
//   (and a link to a missing file gets that file, as cp does), so the new
//   file lies beside that one, on its file system.
// - The replaced file's permissions are kept.
// - A file its user may not write (owner's write permission off; on Windows
//   the read-only attribute) is not replaced: EACCES, as Explorer refuses.
#pragma once

#include <string>

#include "os_file.h"

namespace orbivane {

struct ReplacedFile {
  std::string named;  // as the user named it
  std::string path;   // the file that is replaced: the link's target for a link
  FileInfo info;      // of that file; info.exists is false for a new one
};

// Looks at the file `named` names; 0 or the system's error.
int LookAtReplacedFile(const std::string& named, ReplacedFile& replaced);

// Gives `file` the permissions of the file it replaces, when there is one.
int KeepPermissions(const ReplacedFile& replaced, OsFile& file);

// The complete file at `from` takes the replaced file's place.
int MoveIntoPlace(const ReplacedFile& replaced, const std::string& from);

}  // namespace orbivane
