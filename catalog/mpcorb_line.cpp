#include "mpcorb_line.h"

#include <algorithm>

#include "number_text.h"
#include "record_fields.h"

namespace orbivane {

namespace {

// Columns (from 0) and widths of the fields.
constexpr int kHOffset = 8, kHLength = 5;
constexpr int kGOffset = 14, kGLength = 5;
constexpr int kMOffset = 26, kPerihelionOffset = 37, kNodeOffset = 48, kInclinationOffset = 59;
constexpr std::size_t kEpochOffset = 20;
constexpr int kAngleLength = 9;
constexpr int kEOffset = 70, kELength = 9;  // as in IsMpcorbLine
constexpr int kAOffset = 92, kALength = 11;
constexpr std::size_t kDesignationOffset = 166, kDesignationLength = 28;
constexpr std::size_t kNameColumns = 18;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A base-62 digit's value, -1 for any other character.
int Base62(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 36;
  return -1;
}

std::string_view Field(std::string_view line, int offset, int length) {
  if (static_cast<std::size_t>(offset) >= line.size()) return {};
  return line.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

double Real(std::string_view line, int offset, int length) { return ParseLeadingDouble(Field(line, offset, length)); }

long long NumberOf(std::string_view line) {
  if (line.size() < 7 || line[5] != ' ' || line[6] != ' ') return 0;
  return std::max(UnpackNumber(line.substr(0, 5)), 0LL);
}

void ReadEpoch(std::string_view line, int& year, int& month, int& day) {
  if (line.size() < kEpochOffset + 5 || !UnpackEpoch(line.substr(kEpochOffset, 5), year, month, day)) {
    year = month = day = 0;
  }
}

}  // namespace

long long UnpackNumber(std::string_view packed) {
  if (packed.size() != 5) return -1;
  long long tail = 0;
  if (packed[0] == '~') {
    for (std::size_t i = 1; i < 5; ++i) {
      const int digit = Base62(packed[i]);
      if (digit < 0) return -1;
      tail = tail * 62 + digit;
    }
    return 620000 + tail;
  }
  for (std::size_t i = 1; i < 5; ++i) {
    if (!IsDigit(packed[i])) return -1;
    tail = tail * 10 + (packed[i] - '0');
  }
  const int lead = Base62(packed[0]);
  return lead < 0 ? -1 : lead * 10000LL + tail;
}

std::size_t MpcorbNameOf(std::string_view line, char (&name)[19]) {
  std::string_view text = line.size() > kDesignationOffset ? line.substr(kDesignationOffset, kDesignationLength)
                                                           : std::string_view();
  text = text.substr(0, text.find('\0'));  // a NUL byte ends the designation
  const auto skipBlanks = [&text] {
    const std::size_t first = text.find_first_not_of(' ');
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
  };
  skipBlanks();
  if (!text.empty() && text[0] == '(') {
    const std::size_t close = text.find(')');
    text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
    skipBlanks();
  }
  const auto at = [&text](std::size_t i) { return i < text.size() ? text[i] : ' '; };
  std::size_t length = 0;
  for (std::size_t i = 0; i < kNameColumns; ++i) {
    const char c = at(i);
    if (c == ' ' && at(i + 1) == ' ') break;
    name[length++] = c;
  }
  while (length > 0 && (name[length - 1] == ' ' || (name[length - 1] >= '\t' && name[length - 1] <= '\r'))) {
    --length;
  }
  name[length] = '\0';
  return length;
}

AstorbOrbit ReadMpcorbOrbit(std::string_view line) {
  AstorbOrbit orbit;
  orbit.number = static_cast<int>(NumberOf(line));
  ReadEpoch(line, orbit.epochYear, orbit.epochMonth, orbit.epochDay);
  orbit.h = Real(line, kHOffset, kHLength);
  const std::string_view g = Field(line, kGOffset, kGLength);
  if (g.find_first_not_of(' ') != std::string_view::npos) orbit.g = ParseLeadingDouble(g);
  orbit.meanAnomaly = Real(line, kMOffset, kAngleLength);
  orbit.perihelion = Real(line, kPerihelionOffset, kAngleLength);
  orbit.node = Real(line, kNodeOffset, kAngleLength);
  orbit.inclination = Real(line, kInclinationOffset, kAngleLength);
  orbit.eccentricity = Real(line, kEOffset, kELength);
  orbit.semimajorAxis = Real(line, kAOffset, kALength);
  return orbit;
}

void AppendMpcorbRecord(std::string_view line, std::string& out) {
  char name[19];
  RecordFields fields;
  fields.number = NumberOf(line);
  fields.name = std::string_view(name, MpcorbNameOf(line, name));
  ReadEpoch(line, fields.epochYear, fields.epochMonth, fields.epochDay);
  fields.inclination = Real(line, kInclinationOffset, kAngleLength);
  fields.node = Real(line, kNodeOffset, kAngleLength);
  fields.perihelion = Real(line, kPerihelionOffset, kAngleLength);
  fields.semimajorAxis = Real(line, kAOffset, kALength);
  fields.eccentricity = Real(line, kEOffset, kELength);
  fields.meanAnomaly = Real(line, kMOffset, kAngleLength);
  fields.magnitude = Real(line, kHOffset, kHLength);
  AppendRecord(fields, out);
}

}  // namespace orbivane
