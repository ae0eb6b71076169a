#include "astorb_record.h"

#include "number_text.h"
#include "record_fields.h"

namespace orbivane {

const AstorbColumns kOlderColumns = {
    .numberOffset = 0, .numberLength = 5,
    .nameOffset = 6,
    .magnitudeOffset = 41, .magnitudeLength = 5,
    .yearOffset = 105, .monthOffset = 109, .dayOffset = 111,
    .meanAnomalyOffset = 114, .meanAnomalyLength = 10,
    .perihelionOffset = 125, .perihelionLength = 10,
    .nodeOffset = 136, .nodeLength = 10,
    .inclinationOffset = 147, .inclinationLength = 9,
    .eccentricityOffset = 157, .eccentricityLength = 10,
    .semimajorAxisOffset = 168, .semimajorAxisLength = 12,
};

const AstorbColumns kCurrentColumns = {
    .numberOffset = 0, .numberLength = 6,
    .nameOffset = 7,
    .magnitudeOffset = 42, .magnitudeLength = 5,
    .yearOffset = 106, .monthOffset = 110, .dayOffset = 112,
    .meanAnomalyOffset = 115, .meanAnomalyLength = 10,
    .perihelionOffset = 126, .perihelionLength = 10,
    .nodeOffset = 137, .nodeLength = 10,
    .inclinationOffset = 147, .inclinationLength = 10,
    .eccentricityOffset = 158, .eccentricityLength = 10,
    .semimajorAxisOffset = 168, .semimajorAxisLength = 13,
};

namespace {

constexpr int kNameColumns = 18;
constexpr std::size_t kCurrentLineLength = 267;  // the older lines have 266

// Columns past the end of the line read as blanks.
char At(std::string_view line, int offset) {
  return static_cast<std::size_t>(offset) < line.size() ? line[static_cast<std::size_t>(offset)] : ' ';
}

std::string_view Field(std::string_view line, int offset, int length) {
  if (static_cast<std::size_t>(offset) >= line.size()) return {};
  return line.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

double Real(std::string_view line, int offset, int length) { return ParseLeadingDouble(Field(line, offset, length)); }
int Integer(std::string_view line, int offset, int length) { return ParseLeadingInt(Field(line, offset, length)); }

// An epoch of eight digits between blanks, starting at `yearOffset`.
bool HasEpochAt(std::string_view line, int yearOffset) {
  if (At(line, yearOffset - 1) != ' ' || At(line, yearOffset + 8) != ' ') return false;
  for (int offset = yearOffset; offset < yearOffset + 8; ++offset) {
    if (!IsDigit(At(line, offset))) return false;
  }
  return true;
}

}  // namespace

const AstorbColumns& ColumnsOf(std::string_view line) {
  // The number is right-justified in its field, so where it ends tells the
  // layout even when the epoch is damaged or the line is cut short.
  if (IsDigit(At(line, 5)) && At(line, 6) == ' ') return kCurrentColumns;
  if (IsDigit(At(line, 4)) && At(line, 5) == ' ') return kOlderColumns;
  // A line without a number: by its epoch, then by its length.
  if (At(line, 6) == ' ' && HasEpochAt(line, kCurrentColumns.yearOffset)) return kCurrentColumns;
  if (HasEpochAt(line, kOlderColumns.yearOffset)) return kOlderColumns;
  return line.size() == kCurrentLineLength ? kCurrentColumns : kOlderColumns;
}

bool IsAstorbLine(std::string_view line) {
  const AstorbColumns& columns = ColumnsOf(line);
  return IsDigit(At(line, columns.numberOffset + columns.numberLength - 1)) &&
         At(line, columns.numberOffset + columns.numberLength) == ' ' && HasEpochAt(line, columns.yearOffset);
}

std::string NameOf(std::string_view line, const AstorbColumns& columns) {
  std::string name;
  for (int offset = columns.nameOffset; offset < columns.nameOffset + kNameColumns; ++offset) {
    const char c = At(line, offset);
    if (c == ' ' && At(line, offset + 1) == ' ') break;
    name += c;
  }
  const std::size_t kept = name.find_last_not_of(" \t\n\v\f\r");
  name.resize(kept == std::string::npos ? 0 : kept + 1);
  return name;
}

AstorbOrbit ReadAstorbOrbit(std::string_view line) {
  if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
  const AstorbColumns& c = ColumnsOf(line);
  AstorbOrbit orbit;
  orbit.number = Integer(line, c.numberOffset, c.numberLength);
  orbit.epochYear = Integer(line, c.yearOffset, 4);
  orbit.epochMonth = Integer(line, c.monthOffset, 2);
  orbit.epochDay = Integer(line, c.dayOffset, 2);
  orbit.h = Real(line, c.magnitudeOffset, c.magnitudeLength);
  const std::string_view g = Field(line, c.magnitudeOffset + c.magnitudeLength + 1, 5);
  if (g.find_first_not_of(' ') != std::string_view::npos) orbit.g = ParseLeadingDouble(g);
  orbit.meanAnomaly = Real(line, c.meanAnomalyOffset, c.meanAnomalyLength);
  orbit.perihelion = Real(line, c.perihelionOffset, c.perihelionLength);
  orbit.node = Real(line, c.nodeOffset, c.nodeLength);
  orbit.inclination = Real(line, c.inclinationOffset, c.inclinationLength);
  orbit.eccentricity = Real(line, c.eccentricityOffset, c.eccentricityLength);
  orbit.semimajorAxis = Real(line, c.semimajorAxisOffset, c.semimajorAxisLength);
  return orbit;
}

void AppendCatalogRecord(std::string_view line, std::string& out) {
  // The line is a C string to the conversions: a NUL byte ends it.
  if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
  const AstorbColumns& c = ColumnsOf(line);
  const std::string name = NameOf(line, c);
  RecordFields fields;
  fields.number = Integer(line, c.numberOffset, c.numberLength);
  fields.name = name;
  fields.epochYear = Integer(line, c.yearOffset, 4);
  fields.epochMonth = Integer(line, c.monthOffset, 2);
  fields.epochDay = Integer(line, c.dayOffset, 2);
  fields.inclination = Real(line, c.inclinationOffset, c.inclinationLength);
  fields.node = Real(line, c.nodeOffset, c.nodeLength);
  fields.perihelion = Real(line, c.perihelionOffset, c.perihelionLength);
  fields.semimajorAxis = Real(line, c.semimajorAxisOffset, c.semimajorAxisLength);
  fields.eccentricity = Real(line, c.eccentricityOffset, c.eccentricityLength);
  fields.meanAnomaly = Real(line, c.meanAnomalyOffset, c.meanAnomalyLength);
  fields.magnitude = Real(line, c.magnitudeOffset, c.magnitudeLength);
  AppendRecord(fields, out);
}

}  // namespace orbivane
