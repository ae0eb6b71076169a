// From one ASTORB source line to one catalog record.
#pragma once

#include <string>
#include <string_view>

namespace orbivane {

// Where the fields of a source line stand. The older astorb.dat has a
// five-column number and 266-character lines; today's has six columns for the
// number, which moves every field behind it one column to the right.
struct AstorbColumns {
  int numberOffset, numberLength;
  int nameOffset;  // 18 columns; the column after them is looked at too
  int magnitudeOffset, magnitudeLength;
  int yearOffset, monthOffset, dayOffset;
  int meanAnomalyOffset, meanAnomalyLength;
  int perihelionOffset, perihelionLength;
  int nodeOffset, nodeLength;
  int inclinationOffset, inclinationLength;
  int eccentricityOffset, eccentricityLength;
  int semimajorAxisOffset, semimajorAxisLength;
};

extern const AstorbColumns kOlderColumns;
extern const AstorbColumns kCurrentColumns;

// The layout of a line: today's when its number ends in column 6 (a digit
// there, column 7 blank), the older one when it ends in column 5 (a digit
// there, column 6 blank). A line without a number is today's when column 7 is
// blank and columns 107-114 hold an epoch of eight digits between blanks, the
// older one when columns 106-113 do; failing both, a line of 267 characters
// is today's and any other the older one.
const AstorbColumns& ColumnsOf(std::string_view line);

// Whether a line reads as an ASTORB line of either layout: a number that ends
// where the layout's number ends and an epoch of eight digits in its place.
// The downloader refuses a file whose first line does not.
bool IsAstorbLine(std::string_view line);

// The catalog's name column: the name up to its first pair of blanks, trailing
// white space removed.
std::string NameOf(std::string_view line, const AstorbColumns& columns);

// The fields of a line that tell the asteroid's orbit and brightness, read
// from the columns the record is made of (and G from its own five columns,
// after the blank that follows H's: a blank G is 0.15).
struct AstorbOrbit {
  int number = 0;  // 0 or less: none
  int epochYear = 0, epochMonth = 0, epochDay = 0;
  double h = 0, g = 0.15;
  double meanAnomaly = 0, perihelion = 0, node = 0, inclination = 0;  // degrees
  double eccentricity = 0, semimajorAxis = 0;                         // AU
};
AstorbOrbit ReadAstorbOrbit(std::string_view line);

// Appends the record of one source line (at most 999 characters, no line
// break): number, name, epoch as Julian date, inclination, node, argument of
// perihelion, semimajor axis, eccentricity, mean anomaly and magnitude in the
// catalog's fixed widths, 119 characters when every value fits (a number of
// 100000 or more takes the blank after the number: 120).
void AppendCatalogRecord(std::string_view line, std::string& out);

}  // namespace orbivane
