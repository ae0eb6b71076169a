// The names the two file dialogs start with, and the catalog extension the
// save dialog adds.
#pragma once

#include <string>

#include "window_services.h"

namespace orbivane {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// workDir + separator + "astorb.dat".
std::string SourcePresetName(const std::string& workDir);

// astorb.dat.gz in the folder of `sourcePath`, or in workDir when no source is chosen.
std::string DownloadPresetName(const std::string& sourcePath, const std::string& workDir);

// Where an MPCORB download goes when the user chose `chosen`: MPCORB.DAT.gz
// in its folder when its name is still the preset's astorb.dat.gz, else
// `chosen` itself.
std::string MpcorbDownloadName(const std::string& chosen);

// workDir + separator + day, month, "_", hour, minute, two digits each:
// on 6 December at 01:45 the name ends in "0612_0145".
std::string OutputPresetName(const std::string& workDir, const LocalTime& now);

// The path with ".ext" appended when its file name has no extension, as the
// save dialog does with a name typed without one.
std::string WithDefaultExtension(const std::string& path, const std::string& ext);

}  // namespace orbivane
