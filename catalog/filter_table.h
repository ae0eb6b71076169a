// The selection filter: the typed text of number ranges ("1-1000, 1004-5000")
// and the table of inclusive ranges built from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orbivane {

struct FilterRange {
  std::int32_t from;
  std::int32_t to;
};

// Why a parse left the table empty, or that it did not.
enum class FilterVerdict {
  kParsed,          // split into tokens; the table may still be empty
  kEmpty,           // the text is ""
  kInvalidSymbols,  // a character other than digits, blank, comma, minus
  kTooManyRanges,   // more ranges than the table holds
  kNumberTooLarge,  // a number above 2147483647
};

inline constexpr int kMaxRanges = 1000;

inline constexpr const char* kInvalidSymbolsMessage = "Filter string contains invalid simbols!";
inline constexpr const char* kTooManyRangesMessage =
    "Filter string contains more than 1000 ranges! Join some of them into one.";
inline constexpr const char* kNumberTooLargeMessage =
    "Filter string contains a number greater than 2147483647!";

// The user's message for a verdict that refused the text, or nullptr.
const char* FilterRefusalMessage(FilterVerdict verdict);

class FilterTable {
 public:
  // Rebuilds the table from the text. Every outcome starts from an empty
  // table, and a refused text leaves it empty.
  FilterVerdict ParseFilter(std::string_view text);

  // True if the number lies in any stored range.
  bool IsSelected(std::int32_t n) const;
  // The largest `to` of the table, at least 0.
  std::int32_t HighestNumber() const;

  static bool HasInvalidSymbols(std::string_view text);
  static bool IsFilterSymbol(char c);
  static bool IsDigitSymbol(char c);

  FilterRange m_ranges[kMaxRanges];
  int m_nRanges = 0;

 private:
  // Appends at most one range; a token that would be the 1001st range or that
  // holds a number above the 32-bit range gives its verdict instead.
  FilterVerdict AddFilterToken(std::string token);
};

}  // namespace orbivane
