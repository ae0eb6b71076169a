// The catalog's own number formatting (std::to_chars) against the C
// library's printf, for every width and precision the record uses. The input
// picks the value: raw bits (denormals, huge values, negative zero, NaN and
// infinities all occur), an exact halfway case for the chosen precision, or
// a neighbour of a value at a rounding boundary.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "number_text.h"

namespace {

struct Format {
  int width;
  int precision;
};
constexpr Format kFormats[] = {{12, 3}, {11, 6}, {14, 8}, {11, 8}, {6, 2}, {0, 0}, {1, 1}, {30, 17}};

void Compare(double value, int width, int precision) {
  std::string ours;
  orbivane::AppendFixed(ours, value, width, precision);
  static char theirs[2048];
  const int n = std::snprintf(theirs, sizeof theirs, "%*.*f", width, precision, value);
  FUZZ_CHECK(ours == std::string(theirs, static_cast<std::size_t>(n)), "%%%d.%df of %a: ours [%s], printf [%s]", width,
             precision, value, ours.c_str(), theirs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 10) return 0;
  const Format format = kFormats[data[0] % (sizeof kFormats / sizeof kFormats[0])];
  std::uint64_t bits = 0;
  std::memcpy(&bits, data + 2, sizeof bits);
  double value = 0;
  switch (data[1] % 4) {
    case 0:  // any double at all
      std::memcpy(&value, &bits, sizeof value);
      break;
    case 1: {  // k + 1/2 in units of the last printed decimal: an exact tie when representable
      const double k = static_cast<double>(static_cast<std::int64_t>(bits) >> (data[1] % 50 + 11));
      value = (k + 0.5) / std::pow(10.0, format.precision);
      break;
    }
    case 2: {  // a tie on a binary fraction: m / 2^e
      const int exponent = (data[1] >> 2) % 40 + 1;
      value = std::ldexp(static_cast<double>(static_cast<std::int64_t>(bits) >> 12), -exponent);
      break;
    }
    default: {  // next to a printed boundary, just above or below
      const double k = static_cast<double>(static_cast<std::int64_t>(bits) >> 20);
      const double boundary = (k + 0.5) / std::pow(10.0, format.precision);
      value = (data[1] & 4) != 0 ? std::nextafter(boundary, HUGE_VAL) : std::nextafter(boundary, -HUGE_VAL);
      break;
    }
  }
  Compare(value, format.width, format.precision);
  Compare(-value, format.width, format.precision);

  long long integer = 0;
  std::memcpy(&integer, &bits, sizeof integer);
  for (long long n : {integer, integer >> 40, static_cast<long long>(static_cast<int>(integer))}) {
    std::string ours;
    orbivane::AppendInt(ours, n, 5);
    char theirs[64];
    const int length = std::snprintf(theirs, sizeof theirs, "%5lld", n);
    FUZZ_CHECK(ours == std::string(theirs, static_cast<std::size_t>(length)), "%%5d of %lld: [%s] [%s]", n,
               ours.c_str(), theirs);
  }
  return 0;
}
