#include "apparition.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orbivane::sky {

namespace {

constexpr double kGauss = 0.01720209895;  // k, radians a day for a = 1 AU
constexpr double kObliquity = 84381.448 * ERFA_DAS2R;
constexpr double kEarthNearest = 0.983;   // AU: a little inside the Earth's perihelion distance
constexpr double kEarthFarthest = 1.017;  // and outside its aphelion distance

double Length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double AngleDegrees(double cosine) { return std::acos(std::clamp(cosine, -1.0, 1.0)) * ERFA_DR2D; }

// The orbit's plane in the equatorial frame: P towards the perihelion, Q a quarter turn ahead of it.
struct Plane {
  Vector3 p, q;
};

Vector3 ToEquator(double x, double y, double z) {
  const double c = std::cos(kObliquity);
  const double s = std::sin(kObliquity);
  return {x, y * c - z * s, y * s + z * c};
}

Plane PlaneOf(const Elements& elements) {
  const double w = elements.perihelion * ERFA_DD2R;
  const double node = elements.node * ERFA_DD2R;
  const double i = elements.inclination * ERFA_DD2R;
  const double cw = std::cos(w), sw = std::sin(w), cn = std::cos(node), sn = std::sin(node);
  const double ci = std::cos(i), si = std::sin(i);
  return {ToEquator(cw * cn - sw * sn * ci, cw * sn + sw * cn * ci, sw * si),
          ToEquator(-sw * cn - cw * sn * ci, -sw * sn + cw * cn * ci, cw * si)};
}

// Kepler's equation E - e sin E = M, solved by Newton's method to 1e-12 radians.
double EccentricAnomaly(double meanAnomaly, double e) {
  const double m = std::remainder(meanAnomaly, 2 * ERFA_DPI);
  double anomaly = m + 0.85 * e * (m < 0 ? -1 : 1);
  for (int step = 0; step < 100; ++step) {
    const double change = (anomaly - e * std::sin(anomaly) - m) / (1 - e * std::cos(anomaly));
    anomaly -= change;
    if (std::abs(change) < 1e-12) break;
  }
  return anomaly;
}

// Follows one orbit: what does not change from day to day is worked out once.
class Orbit {
 public:
  explicit Orbit(const Elements& elements)
      : elements_(elements),
        plane_(PlaneOf(elements)),
        motion_(kGauss / std::pow(elements.semimajorAxis, 1.5)),
        minorAxis_(elements.semimajorAxis * std::sqrt(1 - elements.eccentricity * elements.eccentricity)) {}

  Vector3 At(double tt) const {
    const double e = elements_.eccentricity;
    const double anomaly =
        EccentricAnomaly(elements_.meanAnomaly * ERFA_DD2R + motion_ * (tt - elements_.epoch), e);
    const double x = elements_.semimajorAxis * (std::cos(anomaly) - e);
    const double y = minorAxis_ * std::sin(anomaly);
    return {x * plane_.p.x + y * plane_.q.x, x * plane_.p.y + y * plane_.q.y, x * plane_.p.z + y * plane_.q.z};
  }

 private:
  const Elements& elements_;
  Plane plane_;
  double motion_;
  double minorAxis_;
};

// V from H and G at distances r and Delta and the phase angle.
double Magnitude(const Elements& elements, double r, double delta, double phaseDegrees) {
  const double t = std::tan(phaseDegrees * ERFA_DD2R / 2);
  const double phi1 = std::exp(-3.33 * std::pow(t, 0.63));
  const double phi2 = std::exp(-1.87 * std::pow(t, 1.22));
  const double reflected = (1 - elements.g) * phi1 + elements.g * phi2;
  // A G outside 0 to 1 leaves no light at some phase angles: no day then, rather than a NaN that beats no day.
  if (!(reflected > 0)) return std::numeric_limits<double>::infinity();
  return elements.h + 5 * std::log10(r * delta) - 2.5 * std::log10(reflected);
}

}  // namespace

bool IsEllipse(const Elements& elements) {
  return elements.semimajorAxis > 0 && elements.eccentricity >= 0 && elements.eccentricity < 1;
}

Vector3 EarthAt(double tt) {
  double heliocentric[2][3];
  double barycentric[2][3];
  eraEpv00(ERFA_DJM0, tt - ERFA_DJM0, heliocentric, barycentric);
  return {heliocentric[0][0], heliocentric[0][1], heliocentric[0][2]};
}

Vector3 AsteroidAt(const Elements& elements, double tt) { return Orbit(elements).At(tt); }

Sight SightOf(const Elements& elements, const Vector3& asteroid, const Vector3& earth) {
  const Vector3 seen = Minus(asteroid, earth);
  Sight sight;
  sight.sunDistance = Length(asteroid);
  sight.earthDistance = Length(seen);
  sight.phaseAngle = AngleDegrees(Dot(asteroid, seen) / (sight.sunDistance * sight.earthDistance));
  sight.elongation = AngleDegrees(-Dot(earth, seen) / (Length(earth) * sight.earthDistance));
  sight.magnitude = Magnitude(elements, sight.sunDistance, sight.earthDistance, sight.phaseAngle);
  double ra = std::atan2(seen.y, seen.x);
  if (ra < 0) ra += 2 * ERFA_DPI;
  sight.rightAscension = ra * 12 / ERFA_DPI;
  sight.declination = std::atan2(seen.z, std::hypot(seen.x, seen.y)) * ERFA_DR2D;
  return sight;
}

DayWindow::DayWindow(double firstDay, int days) : firstDay_(firstDay) {
  earth_.reserve(static_cast<std::size_t>(std::clamp(days, 0, kMostDays)));
  for (int day = 0; day < std::clamp(days, 0, kMostDays); ++day) earth_.push_back(EarthAt(firstDay + day));
}

Peak PeakOf(const Elements& elements, const DayWindow& window, double minElongation) {
  Peak peak;
  if (!IsEllipse(elements)) return peak;
  const Orbit orbit(elements);
  for (int day = 0; day < window.days(); ++day) {
    const Sight sight = SightOf(elements, orbit.At(window.Day(day)), window.Earth(day));
    if (sight.elongation >= minElongation && (!peak.found || sight.magnitude < peak.magnitude)) {
      peak = {true, sight.magnitude, day};
    }
  }
  return peak;
}

double BrightestPossible(const Elements& elements) {
  constexpr double kNone = -std::numeric_limits<double>::infinity();
  if (!IsEllipse(elements)) return kNone;
  const double q = elements.semimajorAxis * (1 - elements.eccentricity);
  const double farthest = elements.semimajorAxis * (1 + elements.eccentricity);
  // The least r * Delta over the orbit's distances from the Sun, Delta at least the gap to the Earth's orbit.
  double product = 0;
  if (q > kEarthFarthest) {
    product = q * (q - kEarthFarthest);
  } else if (farthest < kEarthNearest) {
    product = std::min(q * (kEarthNearest - q), farthest * (kEarthNearest - farthest));
  }
  if (product <= 0) return kNone;
  // No phase makes (1 - G) Phi1 + G Phi2 larger than this.
  const double phase = std::max({1.0, elements.g, 1 - elements.g});
  return elements.h + 5 * std::log10(product) - 2.5 * std::log10(phase) - 1e-9;
}

}  // namespace orbivane::sky
