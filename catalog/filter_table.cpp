#include "filter_table.h"

#include <cstdint>
#include <limits>

namespace orbivane {

const char* FilterRefusalMessage(FilterVerdict verdict) {
  switch (verdict) {
    case FilterVerdict::kInvalidSymbols: return kInvalidSymbolsMessage;
    case FilterVerdict::kTooManyRanges: return kTooManyRangesMessage;
    case FilterVerdict::kNumberTooLarge: return kNumberTooLargeMessage;
    case FilterVerdict::kParsed:
    case FilterVerdict::kEmpty: break;
  }
  return nullptr;
}

bool FilterTable::IsDigitSymbol(char c) { return c >= '0' && c <= '9'; }

bool FilterTable::IsFilterSymbol(char c) { return IsDigitSymbol(c) || c == ' ' || c == ',' || c == '-'; }

bool FilterTable::HasInvalidSymbols(std::string_view text) {
  for (char c : text) {
    if (!IsFilterSymbol(c)) return true;
  }
  return false;
}

FilterVerdict FilterTable::ParseFilter(std::string_view text) {
  m_nRanges = 0;
  if (text.empty()) return FilterVerdict::kEmpty;
  if (HasInvalidSymbols(text)) return FilterVerdict::kInvalidSymbols;

  std::string token;
  for (char c : text) {
    if (c != ',') {
      token += c;
      continue;
    }
    if (const FilterVerdict v = AddFilterToken(std::move(token)); v != FilterVerdict::kParsed) {
      m_nRanges = 0;
      return v;
    }
    token.clear();
  }
  if (const FilterVerdict v = AddFilterToken(std::move(token)); v != FilterVerdict::kParsed) {
    m_nRanges = 0;
    return v;
  }
  return FilterVerdict::kParsed;
}

FilterVerdict FilterTable::AddFilterToken(std::string token) {
  token += ' ';  // so that a number at the very end of the token is ended too

  int numbersFound = 0;
  bool insideNumber = false;
  std::int64_t value = 0;  // saturates just above the 32-bit range
  std::int32_t from = 0;
  std::int32_t to = 0;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();

  for (char c : token) {
    if (IsDigitSymbol(c)) {
      insideNumber = true;
      value = value * 10 + (c - '0');
      if (value > kLargest) value = kLargest + 1;
      continue;
    }
    if (!insideNumber) continue;
    insideNumber = false;
    if (value > kLargest) return FilterVerdict::kNumberTooLarge;
    if (numbersFound == 0) {
      from = static_cast<std::int32_t>(value);
      numbersFound = 1;
    } else {
      to = static_cast<std::int32_t>(value);  // a third or later number overwrites `to`
      numbersFound = 2;
    }
    value = 0;
  }

  if (numbersFound == 0) return FilterVerdict::kParsed;
  if (numbersFound == 1) to = from;
  if (to < from) return FilterVerdict::kParsed;  // a reversed range is dropped silently
  if (m_nRanges == kMaxRanges) return FilterVerdict::kTooManyRanges;
  m_ranges[m_nRanges++] = FilterRange{from, to};
  return FilterVerdict::kParsed;
}

bool FilterTable::IsSelected(std::int32_t n) const {
  for (int i = 0; i < m_nRanges; ++i) {
    if (n >= m_ranges[i].from && n <= m_ranges[i].to) return true;
  }
  return false;
}

std::int32_t FilterTable::HighestNumber() const {
  std::int32_t highest = 0;
  for (int i = 0; i < m_nRanges; ++i) {
    if (m_ranges[i].to > highest) highest = m_ranges[i].to;
  }
  return highest;
}

}  // namespace orbivane
