// The entries of a source, whichever its format (source_format.h): every line
// of an ASTORB source, as LineReader gives them; the orbit lines of an MPCORB
// source, its header, blank and other lines passed over. Entry n of the range
// filter is the n-th line given here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "astorb_record.h"
#include "line_reader.h"
#include "mpcorb_line.h"
#include "source_format.h"

namespace orbivane {

class SourceLines {
 public:
  explicit SourceLines(OsFile& file) : reader_(file) {}

  // The next entry, valid until the next call; false at the end and when
  // reading failed.
  bool Next(std::string_view& line) {
    if (!decided_) Decide();
    if (format_ == SourceFormat::kAstorb) {
      if (!reader_.Next(line)) return false;
      ++lines_;
      return true;
    }
    return NextOrbitLine(line);
  }

  // The source's format, told from the start of its text (read when not yet).
  SourceFormat format() {
    if (!decided_) Decide();
    return format_;
  }
  bool failed() const { return reader_.failed(); }
  int error() const { return reader_.error(); }
  // Why reading failed, naming the line of the file reading had reached.
  std::string FailureMessage(const std::string& path) const { return reader_.FailureMessage(path, lines_ + 1); }
  // The lines of the file read so far, entries or not.
  std::int64_t lines() const { return lines_; }
  // The reader, for a count that needs no lines.
  LineReader& reader() { return reader_; }

 private:
  void Decide();
  bool NextOrbitLine(std::string_view& line) {
    while (reader_.Next(line)) {
      ++lines_;
      if (IsMpcorbLine(line)) return true;
    }
    return false;
  }

  LineReader reader_;
  SourceFormat format_ = SourceFormat::kAstorb;
  bool decided_ = false;
  std::int64_t lines_ = 0;
};

// The catalog record of an entry of a source of the given format.
void AppendCatalogRecord(SourceFormat format, std::string_view line, std::string& out);
// Its orbit and brightness.
AstorbOrbit ReadOrbit(SourceFormat format, std::string_view line);
// Its name as the catalog writes it.
std::string CatalogNameOf(SourceFormat format, std::string_view line);
// The format of the source file at `path`, from its text; ASTORB when it cannot be read.
SourceFormat FormatOfSource(const std::string& path);

}  // namespace orbivane
