#include "output_clash.h"

#include "named_stream.h"
#include "os_file.h"

namespace orbivane {

namespace {

// Writing the catalog over its own source would empty the source before it
// is read; over the history file, the append that follows would cut it and
// mix it with the run's record. Two paths name one file when both exist as
// the same file, or when neither exists and their folders resolve to the
// same folder and their names are equal. "-" is the standard stream of its
// side (input for the source, output for the catalog).
bool IsSamePlace(const std::string& a, int streamA, const std::string& b, int streamB) {
  FileInfo infoA;
  FileInfo infoB;
  if (StatNamed(a, streamA, infoA) != 0 || StatNamed(b, streamB, infoB) != 0) return false;
  if (infoA.exists != infoB.exists) return false;
  // A terminal or a pipe on both sides is no file to lose.
  if (infoA.exists) return infoA.regular && SameFile(infoA, infoB);
  const auto place = [](const std::string& named) {
    const std::string path = ResolvedPath(named);  // a link to a missing file is the file it would create
    const std::size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return ResolvedPath(folder) + "/" + path.substr(slash == std::string::npos ? 0 : slash + 1);
  };
  return place(a) == place(b);
}

}  // namespace

std::string OutputClash(const std::string& source, const std::string& output, const std::string& history) {
  if (IsSamePlace(source, kStandardInput, output, kStandardOutput)) {
    return "The catalog file \"" + output +
           "\" is the source catalog itself; choose another name for the new catalog.";
  }
  if (IsSamePlace(output, kStandardOutput, history, kStandardOutput)) {
    return "The catalog file \"" + output + "\" is the history file; choose another name for the new catalog.";
  }
  return {};
}

}  // namespace orbivane
