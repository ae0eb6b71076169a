// The one shape of every file error the user reads:
//   Cannot write catalog file "/home/ann/0612_0145.slc": No space left on device
#pragma once

#include <string>

#include "os_file.h"

namespace orbivane {

inline std::string FileMessage(const char* action, const char* what, const std::string& path,
                               const std::string& reason) {
  return std::string("Cannot ") + action + " " + what + " \"" + path + "\": " + reason;
}

inline std::string FileMessage(const char* action, const char* what, const std::string& path, int error) {
  return FileMessage(action, what, path, SystemReason(error));
}

}  // namespace orbivane
