// One MPCORB orbit line, in a heap block of its exact length so that a read past its end stops the fuzzer:
// whether it is an orbit line, and its record, against what the C library makes of the same columns (strtod,
// printf) and a plain reading of the packed number and epoch.
#undef NDEBUG
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "julian_date.h"
#include "mpcorb_line.h"

namespace {

const std::string kBase62 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

long long Number(const std::string& line) {
  if (line.size() < 7 || line.substr(5, 2) != "  ") return 0;
  const std::string packed = line.substr(0, 5);
  if (packed[0] == '~') {
    long long n = 0;
    for (int i = 1; i < 5; ++i) {
      const std::size_t digit = kBase62.find(packed[i]);
      if (digit == std::string::npos) return 0;
      n = n * 62 + static_cast<long long>(digit);
    }
    return 620000 + n;
  }
  const std::size_t lead = kBase62.find(packed[0]);
  if (lead == std::string::npos || packed.find_first_not_of("0123456789", 1) != std::string::npos) return 0;
  return static_cast<long long>(lead) * 10000 + std::atoll(packed.c_str() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 999));
  const std::unique_ptr<char[]> block(new char[text.size()]);
  std::memcpy(block.get(), text.data(), text.size());
  const std::string_view line(block.get(), text.size());
  const bool orbitLine = orbivane::IsMpcorbLine(line);
  std::string record;
  orbivane::AppendMpcorbRecord(line, record);
  orbivane::ReadMpcorbOrbit(line);

  // A NUL byte ends a field's number as any other character does: the C library stops there too.
  const std::string cLine(line);
  const auto field = [&cLine](std::size_t at, std::size_t n) { return cLine.substr(std::min(at, cLine.size()), n); };
  int year = 0, month = 0, day = 0;
  const bool epoch = orbivane::UnpackEpoch(field(20, 5), year, month, day);
  if (orbitLine) {
    assert(epoch && line[7] == ' ' && line[0] != ' ' && line.size() >= 103);
    for (const std::size_t point : {29, 40, 51, 62, 71}) assert(line[point] == '.');
  }
  if (epoch) {
    const char kDays[] = "123456789ABCDEFGHIJKLMNOPQRSTUV";
    assert(year == (cLine[20] - 'I' + 18) * 100 + std::atoi(field(21, 2).c_str()));
    assert(kDays[month - 1] == cLine[23] && kDays[day - 1] == cLine[24] && month <= 12);
  }
  // The C library reads hexadecimal, infinities and NaN too; the catalog reads decimal numbers only.
  if (field(8, 95).find_first_of("xXiInNpP") != std::string::npos) return 0;
  const auto real = [&field](std::size_t offset, std::size_t length) {
    return std::strtod(field(offset, length).c_str(), nullptr);
  };
  char name[19];
  const std::size_t nameLength = orbivane::MpcorbNameOf(cLine, name);
  assert(nameLength <= 18 && std::strlen(name) == nameLength);
  if (!epoch) year = month = day = 0;
  static char expected[4096];
  const long long number = Number(cLine);
  int length = number > 0 ? std::snprintf(expected, 16, "%5lld ", number) : std::snprintf(expected, 8, "      ");
  length += std::snprintf(expected + length, sizeof expected - length,
                          "%-26s%12.3f%11.6f%11.6f%11.6f%14.8f%11.8f%11.6f%6.2f", name,
                          orbivane::JulianDate(orbivane::CalendarDateTime(year, month, day, 0, 0, 0)),
                          real(59, 9), real(48, 9), real(37, 9), real(92, 11), real(70, 9), real(26, 9), real(8, 5));
  assert(record == std::string_view(expected, length));
  return 0;
}
