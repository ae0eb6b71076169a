// The catalog's own text-to-number reading against the C library: a field
// read by ParseLeadingInt must give what strtol gives, held to the int range,
// and ParseLeadingDouble what strtod gives, to the bit, for every text that
// strtod reads as a decimal number (hexadecimal, infinity and NaN texts are
// the C library's extensions the catalog does not accept).
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "number_text.h"

namespace {

bool CReadsItAsDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != '\0' && std::strchr(" \t\n\v\f\r", text[i]) != nullptr) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i < text.size() && text[i] != '\0' && std::strchr("iInN", text[i]) != nullptr) return false;
  return !(i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The fields of a line are C strings: the text ends at a NUL.
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));

  const long wide = std::strtol(text.c_str(), nullptr, 10);
  const int expectedInt = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
  const int ours = orbivane::ParseLeadingInt(text);
  FUZZ_CHECK(ours == expectedInt, "ParseLeadingInt(\"%s\") = %d, strtol %ld", text.c_str(), ours, wide);

  if (CReadsItAsDecimal(text)) {
    const double expected = std::strtod(text.c_str(), nullptr);
    const double got = orbivane::ParseLeadingDouble(text);
    FUZZ_CHECK(std::memcmp(&expected, &got, sizeof got) == 0, "ParseLeadingDouble(\"%s\") = %a, strtod %a",
               text.c_str(), got, expected);
  }
  return 0;
}
