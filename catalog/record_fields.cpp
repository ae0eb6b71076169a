#include "record_fields.h"

#include "julian_date.h"
#include "number_text.h"

namespace orbivane {

namespace {

constexpr std::size_t kNameWidth = 26;

}  // namespace

void AppendRecord(const RecordFields& f, std::string& out) {
  if (f.number > 0) {
    AppendInt(out, f.number, 5);
    out += ' ';
  } else {
    out.append(6, ' ');
  }
  out += f.name;
  out.append(kNameWidth - f.name.size(), ' ');
  AppendFixed(out, JulianDate(CalendarDateTime(f.epochYear, f.epochMonth, f.epochDay, 0, 0, 0)), 12, 3);
  AppendFixed(out, f.inclination, 11, 6);
  AppendFixed(out, f.node, 11, 6);
  AppendFixed(out, f.perihelion, 11, 6);
  AppendFixed(out, f.semimajorAxis, 14, 8);
  AppendFixed(out, f.eccentricity, 11, 8);
  AppendFixed(out, f.meanAnomaly, 11, 6);
  AppendFixed(out, f.magnitude, 6, 2);
}

}  // namespace orbivane
