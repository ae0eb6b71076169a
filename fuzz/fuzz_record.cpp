// One source line through the record transform. The line lives in a heap
// block of exactly its length, so that a read past its end stops the fuzzer,
// and its record must be what the C library makes of the same columns: atoi,
// strtod and printf with the catalog's format. The first byte can give the
// line the marks of today's layout or of the older one.
#undef NDEBUG
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "astorb_record.h"
#include "julian_date.h"

namespace {

// A field as a C string, and whether the C library reads it as a decimal
// number (not as hexadecimal, an infinity or NaN, which the catalog does not take).
std::string Field(std::string_view line, int offset, int length, bool& decimal) {
  const std::string field(line.substr(std::min<std::size_t>(offset, line.size()), length));
  const std::size_t start = field.find_first_not_of(" \t\n\v\f\r+-");
  decimal = decimal && (start == std::string::npos || (!std::strchr("iInN", field[start]) &&
                                                       field.compare(start, 2, "0x") && field.compare(start, 2, "0X")));
  return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  text = text.substr(0, std::min<std::size_t>(text.find('\n'), 999));  // a line as the reader hands it over
  if (data[0] % 3 != 0) text.resize(std::max<std::size_t>(text.size(), 115), ' ');
  if (data[0] % 3 == 1) {  // today's layout: column 7 blank, a blank, eight digits and a blank from column 106
    text[6] = text[105] = text[114] = ' ';
    for (int i = 106; i < 114; ++i) text[i] = static_cast<char>('0' + static_cast<unsigned char>(text[i]) % 10);
  }
  if (data[0] % 3 == 2 && text[6] == ' ') text[6] = 'A';  // the older layout
  const std::unique_ptr<char[]> block(new char[text.size()]);
  std::memcpy(block.get(), text.data(), text.size());
  const std::string_view line(block.get(), text.size());
  std::string record;
  orbivane::AppendCatalogRecord(line, record);

  const std::string_view cLine = line.substr(0, line.find('\0'));
  const orbivane::AstorbColumns& c = orbivane::ColumnsOf(cLine);
  bool decimal = true;
  const std::string number = Field(cLine, c.numberOffset, c.numberLength, decimal);
  const std::string epoch[] = {Field(cLine, c.yearOffset, 4, decimal), Field(cLine, c.monthOffset, 2, decimal),
                               Field(cLine, c.dayOffset, 2, decimal)};
  const std::string fields[] = {
      Field(cLine, c.inclinationOffset, c.inclinationLength, decimal),
      Field(cLine, c.nodeOffset, c.nodeLength, decimal),
      Field(cLine, c.perihelionOffset, c.perihelionLength, decimal),
      Field(cLine, c.semimajorAxisOffset, c.semimajorAxisLength, decimal),
      Field(cLine, c.eccentricityOffset, c.eccentricityLength, decimal),
      Field(cLine, c.meanAnomalyOffset, c.meanAnomalyLength, decimal),
      Field(cLine, c.magnitudeOffset, c.magnitudeLength, decimal),
  };
  if (!decimal) return 0;
  double v[7];
  for (int i = 0; i < 7; ++i) v[i] = std::strtod(fields[i].c_str(), nullptr);
  const double jd = orbivane::JulianDate(orbivane::CalendarDateTime(
      std::atoi(epoch[0].c_str()), std::atoi(epoch[1].c_str()), std::atoi(epoch[2].c_str()), 0, 0, 0));
  static char expected[4096];
  const int n = std::atoi(number.c_str());
  int length = n > 0 ? std::snprintf(expected, sizeof expected, "%5d ", n) : std::snprintf(expected, 8, "      ");
  length += std::snprintf(expected + length, sizeof expected - length,
                          "%-26s%12.3f%11.6f%11.6f%11.6f%14.8f%11.8f%11.6f%6.2f", orbivane::NameOf(cLine, c).c_str(),
                          jd, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  assert(record == std::string_view(expected, length));
  return 0;
}
