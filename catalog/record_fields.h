// The catalog record of one asteroid, from the values of its fields, whichever
// source they were read from: every source's records come from this writer.
#pragma once

#include <string>
#include <string_view>

namespace orbivane {

struct RecordFields {
  long long number = 0;    // 0 or less: none (six blanks)
  std::string_view name;   // at most 18 characters
  int epochYear = 0, epochMonth = 0, epochDay = 0;
  double inclination = 0, node = 0, perihelion = 0;  // degrees
  double semimajorAxis = 0, eccentricity = 0, meanAnomaly = 0, magnitude = 0;
};

// Appends number, name, epoch as Julian date, inclination, node, argument of
// perihelion, semimajor axis, eccentricity, mean anomaly and magnitude in the
// catalog's fixed widths: 119 characters when every value fits (a number of
// 100000 or more takes the blank after the number: 120).
void AppendRecord(const RecordFields& fields, std::string& out);

}  // namespace orbivane
