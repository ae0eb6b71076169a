// "-" names the standard input where a source is read and the standard
// output where a catalog is written, as Unix commands take it; a file of that
// name is reached as "./-". The window never names either: its paths are
// whole.
#pragma once

#include <string>

#include "os_file.h"

namespace orbivane {

inline bool IsStandardStreamName(const std::string& path) { return path == "-"; }

// Opens a source catalog for reading: the file, or the standard input.
inline int OpenSource(OsFile& file, const std::string& path) {
  return IsStandardStreamName(path) ? file.OpenStandardStream(kStandardInput) : file.OpenForReading(path);
}

// What a source (`stream` kStandardInput) or a catalog (kStandardOutput) path names.
inline int StatNamed(const std::string& path, int stream, FileInfo& info) {
  return IsStandardStreamName(path) ? StatStandardStream(stream, info) : StatPath(path, info);
}

}  // namespace orbivane
