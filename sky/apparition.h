// Where an asteroid stands and how bright it is, from its osculating orbital
// elements alone: two-body motion around the Sun, the Earth's position from
// ERFA, no light time, and the IAU's H, G magnitude system. Positions are
// heliocentric, in astronomical units, in ERFA's equatorial frame of J2000;
// the elements' ecliptic of J2000 is turned into it with the obliquity
// 84381.448 arcseconds. Times are Julian dates in TT.
#pragma once

#include <vector>

namespace orbivane::sky {

struct Elements {
  double epoch = 0;          // of osculation
  double meanAnomaly = 0;    // degrees, at the epoch
  double perihelion = 0;     // argument of perihelion, degrees
  double node = 0;           // longitude of the ascending node, degrees
  double inclination = 0;    // degrees
  double eccentricity = 0;
  double semimajorAxis = 0;  // AU
  double h = 0;              // absolute magnitude
  double g = 0.15;           // slope parameter
};

struct Vector3 {
  double x = 0, y = 0, z = 0;
};

// True for an orbit two-body motion can follow: a > 0 and 0 <= e < 1.
bool IsEllipse(const Elements& elements);

// The Earth's heliocentric position.
Vector3 EarthAt(double tt);
// The asteroid's heliocentric position (an ellipse only).
Vector3 AsteroidAt(const Elements& elements, double tt);

// The asteroid as seen from the Earth.
struct Sight {
  double sunDistance = 0;    // r, AU
  double earthDistance = 0;  // Delta, AU
  double phaseAngle = 0;     // Sun-asteroid-Earth, degrees
  double elongation = 0;     // Sun-Earth-asteroid, degrees
  double magnitude = 0;      // V
  double rightAscension = 0; // geocentric, hours
  double declination = 0;    // geocentric, degrees
};
Sight SightOf(const Elements& elements, const Vector3& asteroid, const Vector3& earth);

// The whole days D1 to D2 of a window, with the Earth's position at 0h TT of
// each, worked out once for every asteroid of a run.
class DayWindow {
 public:
  static constexpr int kMostDays = 3660;
  // `firstDay` is the Julian date of 0h TT of D1; at most kMostDays days.
  DayWindow(double firstDay, int days);
  int days() const { return static_cast<int>(earth_.size()); }
  double Day(int index) const { return firstDay_ + index; }
  const Vector3& Earth(int index) const { return earth_[static_cast<std::size_t>(index)]; }
  // The Earth's heliocentric velocity, AU a day.
  const Vector3& EarthVelocity(int index) const { return earthVelocity_[static_cast<std::size_t>(index)]; }
  // The Earth's distance from the Sun on a day, and the least and the most over the window (AU).
  double EarthSunDistance(int index) const { return earthSun_[static_cast<std::size_t>(index)]; }
  double EarthNearest() const { return nearest_; }
  double EarthFarthest() const { return farthest_; }

 private:
  double firstDay_;
  std::vector<Vector3> earth_, earthVelocity_;
  std::vector<double> earthSun_;
  double nearest_ = 0, farthest_ = 0;
};

// The brightest the asteroid gets over the window on the days its elongation
// is at least `minElongation` degrees, and the first day (an index of the
// window) that gives it; none for an orbit that is no ellipse or a window
// without such a day.
struct Peak {
  bool found = false;
  double magnitude = 0;
  int day = -1;
};
Peak PeakOf(const Elements& elements, const DayWindow& window, double minElongation);
// The same peak when its V is at most `faintest`, else none: the days that
// cannot come down to it are passed over at a fraction of the cost.
Peak PeakOf(const Elements& elements, const DayWindow& window, double minElongation, double faintest);
// Whether V is at most `faintest` on some day the elongation limit lets in:
// stops at the first such day found.
bool Reaches(const Elements& elements, const DayWindow& window, double minElongation, double faintest);

// A magnitude that no day of any window can beat, from the orbit alone: the
// brightest it could be at its nearest to the Earth's orbit, at no phase.
// Lets a run skip asteroids that can never reach a limit.
double BrightestPossible(const Elements& elements);
// A magnitude that no day of this window can beat: the same, from the least
// and the most distance from the Sun the asteroid and the Earth have in it.
double BrightestPossible(const Elements& elements, const DayWindow& window);

}  // namespace orbivane::sky
