#include "source_format.h"

#include "astorb_record.h"
#include "mpcorb_line.h"

namespace orbivane {

namespace {

constexpr std::size_t kShortestDashes = 10;

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

bool IsDashes(std::string_view line) {
  const std::size_t end = line.find_last_not_of(" \r");
  return end != std::string_view::npos && end + 1 >= kShortestDashes &&
         line.substr(0, end + 1).find_first_not_of('-') == std::string_view::npos;
}

// The lines of `text` one after another, without their CR LF.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  bool Next(std::string_view& line) {
    if (done_) return false;
    const std::size_t lf = rest_.find('\n');
    line = rest_.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    done_ = lf == std::string_view::npos;
    if (!done_) rest_.remove_prefix(lf + 1);
    return true;
  }

 private:
  std::string_view rest_;
  bool done_ = false;
};

bool NextNonBlank(Lines& lines, std::string_view& line) {
  while (lines.Next(line)) {
    if (!IsBlank(line)) return true;
  }
  return false;
}

}  // namespace

SourceFormat FormatOf(std::string_view head) {
  Lines lines(head);
  std::string_view line;
  if (!NextNonBlank(lines, line) || IsAstorbLine(line)) return SourceFormat::kAstorb;
  if (IsMpcorbLine(line)) return SourceFormat::kMpcorb;
  do {
    if (IsDashes(line)) {
      return NextNonBlank(lines, line) && IsMpcorbLine(line) ? SourceFormat::kMpcorb : SourceFormat::kAstorb;
    }
  } while (lines.Next(line));
  return SourceFormat::kAstorb;
}

}  // namespace orbivane
