#include "source_lines.h"

#include "astorb_record.h"
#include "mpcorb_line.h"
#include "named_stream.h"

namespace orbivane {

void SourceLines::Decide() {
  decided_ = true;
  format_ = FormatOf(reader_.Ahead(kFormatHeadBytes).substr(0, kFormatHeadBytes));
}

void AppendCatalogRecord(SourceFormat format, std::string_view line, std::string& out) {
  if (format == SourceFormat::kMpcorb) {
    AppendMpcorbRecord(line, out);
  } else {
    AppendCatalogRecord(line, out);
  }
}

AstorbOrbit ReadOrbit(SourceFormat format, std::string_view line) {
  return format == SourceFormat::kMpcorb ? ReadMpcorbOrbit(line) : ReadAstorbOrbit(line);
}

std::string CatalogNameOf(SourceFormat format, std::string_view line) {
  if (format == SourceFormat::kAstorb) return NameOf(line, ColumnsOf(line));
  char name[19];
  return std::string(name, MpcorbNameOf(line, name));
}

SourceFormat FormatOfSource(const std::string& path) {
  OsFile file;
  if (OpenSource(file, path) != 0) return SourceFormat::kAstorb;
  SourceLines lines(file);
  return lines.format();
}

}  // namespace orbivane
