// One orbit line of the Minor Planet Center's export format, as MPCORB.DAT and
// its subset files (NEA.txt, PHA.txt, DAILY.DAT and alike) hold them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "astorb_record.h"

namespace orbivane {

// The number that five packed characters stand for: five digits below
// 100000; a letter and four digits up to 619999 (A=10 ... Z=35, a=36 ... z=61
// as the leading digits); "~" and four base-62 digits (0-9, A-Z, a-z) added to
// 620000. -1 when the characters are none of these.
long long UnpackNumber(std::string_view packed);

// The date five packed characters stand for: the century letter (I=18, J=19,
// K=20), two digits of the year, then month and day as one character each
// (1-9, then A=10 ... V=31). False when the characters are none of these.
inline bool UnpackEpoch(std::string_view packed, int& year, int& month, int& day) {
  // 1-9, then A=10 ... V=31; -1 for any other character.
  const auto monthOrDay = [](char c) {
    return c >= '1' && c <= '9' ? c - '0' : c >= 'A' && c <= 'V' ? c - 'A' + 10 : -1;
  };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (packed.size() != 5 || packed[0] < 'I' || packed[0] > 'K' || !digit(packed[1]) || !digit(packed[2])) {
    return false;
  }
  const int m = monthOrDay(packed[3]);
  const int d = monthOrDay(packed[4]);
  if (m < 1 || m > 12 || d < 1) return false;
  year = (packed[0] - 'I' + 18) * 100 + (packed[1] - '0') * 10 + (packed[2] - '0');
  month = m;
  day = d;
  return true;
}

// Whether a line is an orbit line: something packed in columns 1-7 from
// column 1 on, column 8 blank, a packed epoch in columns 21-25, the decimal
// points of M, the argument of perihelion, the node, i and e where their
// formats put them, and at least 103 characters (through a). Header lines,
// blank lines and anything else are not.
// Inline: the reader asks it of every line.
inline bool IsMpcorbLine(std::string_view line) {
  if (line.size() < 103 || line[0] == ' ' || line[7] != ' ') return false;
  int year, month, day;
  if (!UnpackEpoch(line.substr(20, 5), year, month, day)) return false;
  // M, the argument of perihelion, the node and i with five decimals, e with seven.
  return line[29] == '.' && line[40] == '.' && line[51] == '.' && line[62] == '.' && line[71] == '.';
}

// The epoch of an orbit line as YYYYMMDD.
inline std::int32_t MpcorbEpochOf(std::string_view orbitLine) {
  int year = 0, month = 0, day = 0;
  UnpackEpoch(orbitLine.substr(20, 5), year, month, day);
  return year * 10000 + month * 100 + day;
}

// The catalog's name of an orbit line: the readable designation (columns
// 167-194, up to a NUL byte) without its blanks and its "(n)" part, at most
// 18 characters, cut at its first pair of blanks as an ASTORB name is. `name` holds 19
// characters; the length is returned.
std::size_t MpcorbNameOf(std::string_view line, char (&name)[19]);

// The orbit and brightness of an orbit line (a blank G is 0.15); the number is
// 0 when columns 1-5 hold no packed number or columns 6-7 are not blank.
AstorbOrbit ReadMpcorbOrbit(std::string_view line);

// Appends the catalog record of an orbit line, from the writer every source's
// records come from. Each field is read in its columns: a NUL byte, as any
// other character that is no part of a number, ends the number there.
void AppendMpcorbRecord(std::string_view line, std::string& out);

}  // namespace orbivane
