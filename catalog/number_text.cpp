#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <limits>
#include <system_error>

namespace orbivane {

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  return i;
}

void Pad(std::string& out, std::size_t length, int width) {
  if (width > 0 && length < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - length, ' ');
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
  std::size_t i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

double ParseLeadingDouble(std::string_view text) {
  std::size_t i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // Find the longest prefix that is a decimal number, and its digits as one whole number (exact up to 19 digits;
  // more wrap around, unused).
  const std::size_t start = i;
  std::uint64_t mantissa = 0;
  while (i < text.size() && IsDigit(text[i])) mantissa = mantissa * 10 + static_cast<unsigned>(text[i++] - '0');
  std::size_t digits = i - start;
  std::size_t decimals = 0;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction = ++i;
    while (i < text.size() && IsDigit(text[i])) mantissa = mantissa * 10 + static_cast<unsigned>(text[i++] - '0');
    decimals = i - fraction;
    digits += decimals;
  }
  if (digits == 0) return 0.0;
  const bool hasExponent = i < text.size() && (text[i] == 'e' || text[i] == 'E');
  // The catalog's columns: at most 15 digits, no exponent. The digits and the power of ten are exact doubles, and
  // one division rounds correctly (Clinger's fast path), as from_chars would, at a fraction of its time.
  if (digits <= 15 && !hasExponent) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13,
                                         1e14, 1e15};
    const double value = static_cast<double>(mantissa) / kPowers[decimals];
    return negative ? -value : value;
  }
  std::size_t end = i;
  if (hasExponent) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      end = j;
    }
  }

  const char* first = text.data() + start;
  const char* last = text.data() + end;
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the power of ten of the leading
    // significant digit decides between strtod's HUGE_VAL and 0.
    long long power = 0;
    long long fractionZeros = 0;
    bool significant = false;
    bool fraction = false;
    const char* p = first;
    for (; p < last && *p != 'e' && *p != 'E'; ++p) {
      if (*p == '.') {
        fraction = true;
      } else if (significant) {
        if (!fraction) ++power;
      } else if (*p != '0') {
        significant = true;
        power = fraction ? -(fractionZeros + 1) : 0;
      } else if (fraction) {
        ++fractionZeros;
      }
    }
    long long exponent = 0;
    if (p < last) {
      ++p;
      bool exponentNegative = false;
      if (*p == '+' || *p == '-') exponentNegative = *p++ == '-';
      for (; p < last; ++p) exponent = std::min<long long>(exponent * 10 + (*p - '0'), 1'000'000'000);
      if (exponentNegative) exponent = -exponent;
    }
    value = power + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc() || ptr != last) {
    value = 0.0;  // cannot happen for a text of the shape checked above
  }
  return negative ? -value : value;
}

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buffer[400];  // DBL_MAX with 8 decimals takes 318 characters
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
  const std::size_t length = ec == std::errc() ? static_cast<std::size_t>(ptr - buffer) : 0;
  Pad(out, length, width);
  out.append(buffer, length);
}

void AppendInt(std::string& out, long long value, int width) {
  char buffer[24];
  const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::size_t length = static_cast<std::size_t>(ptr - buffer);
  Pad(out, length, width);
  out.append(buffer, length);
}

}  // namespace orbivane
