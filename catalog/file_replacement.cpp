#include "file_replacement.h"

namespace orbivane {

int LookAtReplacedFile(const std::string& named, ReplacedFile& replaced) {
  replaced.named = named;
  // Only a link is resolved, so that every other name stays as the user wrote it (and so in messages).
  replaced.path = IsSymbolicLink(named) ? ResolvedPath(named) : named;
  return StatPath(replaced.path, replaced.info);
}

int KeepPermissions(const ReplacedFile& replaced, OsFile& file) {
  return replaced.info.exists ? file.SetMode(replaced.info.mode) : 0;
}

int MoveIntoPlace(const ReplacedFile& replaced, const std::string& from) { return RenameFile(from, replaced.path); }

}  // namespace orbivane
