// One source line through the record transform, in both layouts. The line
// lives in a heap block of exactly its length, so a read past its end stops
// the fuzzer. The record must be at least 119 characters, hold no line feed
// and no NUL, and equal what the C library makes of the same columns: atoi,
// strtod and printf with the catalog's format (texts that strtod would read
// as hexadecimal, an infinity or NaN are left out of that comparison, since
// the catalog reads decimal numbers only). When it is 119 characters long,
// every field stands in its columns.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "astorb_record.h"
#include "fuzz_support.h"
#include "julian_date.h"
#include "line_reader.h"

namespace {

using orbivane::AstorbColumns;

// The field as a C string: its columns of the line, which ends at its first NUL.
std::string FieldText(std::string_view line, int offset, int length) {
  if (static_cast<std::size_t>(offset) >= line.size()) return {};
  return std::string(line.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
}

bool HasNonDecimalNumber(const std::string& field) {
  std::size_t i = 0;
  while (i < field.size() && std::strchr(" \t\n\v\f\r", field[i]) != nullptr && field[i] != '\0') ++i;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
  if (i < field.size() && std::strchr("iInN", field[i]) != nullptr && field[i] != '\0') return true;
  return i + 1 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X');
}

// Puts the marks of one layout into the line: the epoch's blank, eight digits
// and blank, and column 7 blank for today's layout or not for the older one.
std::string WithLayout(std::string line, std::uint8_t choice) {
  if (choice % 3 == 0) return line;
  if (line.size() < 115) line.resize(115, ' ');
  if (choice % 3 == 1) {
    line[6] = ' ';
    line[105] = ' ';
    for (int i = 106; i < 114; ++i) {
      if (line[static_cast<std::size_t>(i)] < '0' || line[static_cast<std::size_t>(i)] > '9') line[static_cast<std::size_t>(i)] = '1';
    }
    line[114] = ' ';
  } else if (line[6] == ' ') {
    line[6] = 'A';
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  // A line as the reader hands it over: no LF, at most 999 characters.
  text = text.substr(0, text.find('\n'));
  text = WithLayout(text, data[0]).substr(0, orbivane::kMaxLineLength);

  const std::unique_ptr<char[]> block(new char[text.size()]);
  std::memcpy(block.get(), text.data(), text.size());
  const std::string_view line(block.get(), text.size());
  std::string record;
  orbivane::AppendCatalogRecord(line, record);

  FUZZ_CHECK(record.size() >= 119, "record of %zu characters", record.size());
  FUZZ_CHECK(record.find('\n') == std::string::npos, "line feed in the record");
  FUZZ_CHECK(record.find('\0') == std::string::npos, "NUL in the record");

  const std::string_view cLine = line.substr(0, line.find('\0'));
  const AstorbColumns& c = orbivane::ColumnsOf(cLine);
  const std::string fields[] = {
      FieldText(cLine, c.inclinationOffset, c.inclinationLength),
      FieldText(cLine, c.nodeOffset, c.nodeLength),
      FieldText(cLine, c.perihelionOffset, c.perihelionLength),
      FieldText(cLine, c.semimajorAxisOffset, c.semimajorAxisLength),
      FieldText(cLine, c.eccentricityOffset, c.eccentricityLength),
      FieldText(cLine, c.meanAnomalyOffset, c.meanAnomalyLength),
      FieldText(cLine, c.magnitudeOffset, c.magnitudeLength),
  };
  bool decimalOnly = true;
  for (const std::string& field : fields) decimalOnly = decimalOnly && !HasNonDecimalNumber(field);
  if (decimalOnly) {
    const int number = std::atoi(FieldText(cLine, c.numberOffset, c.numberLength).c_str());
    const std::string name = orbivane::NameOf(cLine, c);
    const double jd = orbivane::JulianDate(orbivane::CalendarDateTime(
        std::atoi(FieldText(cLine, c.yearOffset, 4).c_str()), std::atoi(FieldText(cLine, c.monthOffset, 2).c_str()),
        std::atoi(FieldText(cLine, c.dayOffset, 2).c_str()), 0, 0, 0));
    double v[7];
    for (int i = 0; i < 7; ++i) v[i] = std::strtod(fields[i].c_str(), nullptr);
    static char expected[4096];
    int n = number > 0 ? std::snprintf(expected, sizeof expected, "%5d ", number)
                       : std::snprintf(expected, sizeof expected, "      ");
    n += std::snprintf(expected + n, sizeof expected - static_cast<std::size_t>(n),
                       "%-26s%12.3f%11.6f%11.6f%11.6f%14.8f%11.8f%11.6f%6.2f", name.c_str(), jd, v[0], v[1], v[2],
                       v[3], v[4], v[5], v[6]);
    FUZZ_CHECK(record == std::string_view(expected, static_cast<std::size_t>(n)), "record\n[%s]\nprintf\n[%s]",
               record.c_str(), expected);
  }

  if (record.size() == 119) {
    // Number, name, then eight right-justified fixed-point fields.
    static const int kEnds[] = {44, 55, 66, 77, 91, 102, 113, 119};
    static const int kDecimals[] = {3, 6, 6, 6, 8, 8, 6, 2};
    FUZZ_CHECK(record[5] == ' ', "no blank after the number");
    int start = 32;
    for (int f = 0; f < 8; ++f) {
      const std::string_view field = std::string_view(record).substr(static_cast<std::size_t>(start),
                                                                     static_cast<std::size_t>(kEnds[f] - start));
      const std::size_t point = field.size() - static_cast<std::size_t>(kDecimals[f]) - 1;
      FUZZ_CHECK(field[point] == '.' || field.back() == 'f', "field %d [%.*s] has no point at its place", f,
                 static_cast<int>(field.size()), field.data());
      start = kEnds[f];
    }
  }
  return 0;
}
