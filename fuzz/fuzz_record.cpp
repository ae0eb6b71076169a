// One source line, in a heap block of its exact length so that a read past its end stops the fuzzer:
// its record is what the C library makes of the same columns (atoi, strtod, printf).
#undef NDEBUG
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "astorb_record.h"
#include "julian_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 999));
  const std::unique_ptr<char[]> block(new char[text.size()]);
  std::memcpy(block.get(), text.data(), text.size());
  const std::string_view line(block.get(), text.size());
  std::string record;
  orbivane::AppendCatalogRecord(line, record);

  // The C library reads hexadecimal, infinities and NaN too; the catalog reads decimal numbers only.
  const std::string cLine(line.substr(0, line.find('\0')));
  if (cLine.find_first_of("xXiInN", 41) != std::string::npos) return 0;
  const orbivane::AstorbColumns& c = orbivane::ColumnsOf(cLine);
  const auto field = [&cLine](int at, int n) { return cLine.substr(std::min<std::size_t>(at, cLine.size()), n); };
  const auto real = [&field](int offset, int length) { return std::strtod(field(offset, length).c_str(), nullptr); };
  const int number = std::atoi(field(c.numberOffset, c.numberLength).c_str());
  const orbivane::DateTimeParts epoch = orbivane::CalendarDateTime(std::atoi(field(c.yearOffset, 4).c_str()),
      std::atoi(field(c.monthOffset, 2).c_str()), std::atoi(field(c.dayOffset, 2).c_str()), 0, 0, 0);
  static char expected[4096];
  int length = number > 0 ? std::snprintf(expected, 8, "%5d ", number) : std::snprintf(expected, 8, "      ");
  length += std::snprintf(expected + length, sizeof expected - length,
                          "%-26s%12.3f%11.6f%11.6f%11.6f%14.8f%11.8f%11.6f%6.2f", orbivane::NameOf(cLine, c).c_str(),
                          orbivane::JulianDate(epoch), real(c.inclinationOffset, c.inclinationLength),
                          real(c.nodeOffset, c.nodeLength), real(c.perihelionOffset, c.perihelionLength),
                          real(c.semimajorAxisOffset, c.semimajorAxisLength),
                          real(c.eccentricityOffset, c.eccentricityLength),
                          real(c.meanAnomalyOffset, c.meanAnomalyLength), real(c.magnitudeOffset, c.magnitudeLength));
  assert(record == std::string_view(expected, length));
  return 0;
}
