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
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The relative error a quick test or bound allows itself against the exact computation; far more than rounding
// and Kepler's 1e-12 radians make, far less than anything that matters.
constexpr double kSlack = 1e-9;

double Length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double AngleDegrees(double cosine) { return std::acos(std::clamp(cosine, -1.0, 1.0)) * ERFA_DR2D; }

// The orbit's plane in the equatorial frame: P towards the perihelion, Q a quarter turn ahead of it.
struct Plane {
  Vector3 p, q;
};

Vector3 ToEquator(double x, double y, double z) {
  static const double c = std::cos(kObliquity);
  static const double s = std::sin(kObliquity);
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

// An angle with its sine and cosine.
struct Angle {
  double radians, sine, cosine;
};

// Kepler's equation E - e sin E = M, solved by Newton's method to 1e-12 radians, M taken to -pi..pi. The sine
// and cosine are the last iteration's, turned back by its change to second order (within change^3 / 6).
Angle EccentricAnomaly(double meanAnomaly, double e) {
  const double m = std::remainder(meanAnomaly, 2 * ERFA_DPI);
  double anomaly = m + 0.85 * e * (m < 0 ? -1 : 1);
  for (int step = 0; step < 100; ++step) {
    const double sine = std::sin(anomaly), cosine = std::cos(anomaly);
    const double change = (anomaly - e * sine - m) / (1 - e * cosine);
    anomaly -= change;
    if (std::abs(change) < 1e-12) {
      const double keep = 1 - change * change / 2;
      return {anomaly, sine * keep - cosine * change, cosine * keep + sine * change};
    }
  }
  return {anomaly, std::sin(anomaly), std::cos(anomaly)};
}

// The sine and cosine of a small angle (|x| < 0.1) by their series, to the last bit.
void SmallSineCosine(double x, double& sine, double& cosine) {
  constexpr double s3 = -1.0 / 6, s5 = 1.0 / 120, s7 = -1.0 / 5040, s9 = 1.0 / 362880, s11 = -1.0 / 39916800;
  constexpr double c4 = 1.0 / 24, c6 = -1.0 / 720, c8 = 1.0 / 40320, c10 = -1.0 / 3628800, c12 = 1.0 / 479001600;
  const double x2 = x * x;
  sine = x + x * x2 * (s3 + x2 * (s5 + x2 * (s7 + x2 * (s9 + x2 * s11))));
  cosine = 1 + x2 * (-0.5 + x2 * (c4 + x2 * (c6 + x2 * (c8 + x2 * (c10 + x2 * c12)))));
}

// Where an orbit is at one instant and how it moves there; near it the asteroid is at
// position + velocity t + acceleration t^2 / 2 (t in days), within jerk |t|^3 / 6 AU.
struct Motion {
  Vector3 position, velocity, acceleration;
  Vector3 After(double t) const {
    const double half = t * t / 2;
    return {position.x + velocity.x * t + acceleration.x * half, position.y + velocity.y * t + acceleration.y * half,
            position.z + velocity.z * t + acceleration.z * half};
  }
};

// Follows one orbit: what does not change from day to day is worked out once.
class Orbit {
 public:
  explicit Orbit(const Elements& elements)
      : elements_(elements),
        plane_(PlaneOf(elements)),
        motion_(kGauss / (elements.semimajorAxis * std::sqrt(elements.semimajorAxis))),
        minorAxis_(elements.semimajorAxis * std::sqrt(1 - elements.eccentricity * elements.eccentricity)) {}

  Vector3 At(double tt) const {
    const Angle anomaly = EccentricAnomaly(MeanAnomalyAt(tt), elements_.eccentricity);
    return Position(anomaly.sine, anomaly.cosine);
  }

  // The motion at tt, some days after the one asked before: Newton's method starts from the eccentric anomaly
  // then, and its sine and cosine are turned on by the small step instead of computed anew (within 1e-13 radians,
  // plenty for the bounds it serves).
  Motion MotionNear(double tt) {
    const double e = elements_.eccentricity;
    const double mean = MeanAnomalyAt(tt) - turns_;
    double step = (mean - (anomaly_ - e * sine_)) / (1 - e * cosine_);
    // Afresh now and then, so that the turned sine and cosine cannot drift, and when the orbit moves fast.
    if (++followed_ % 64 == 1 || !(std::abs(step) < 0.1)) {
      const double reduced = std::remainder(MeanAnomalyAt(tt), 2 * ERFA_DPI);
      turns_ = MeanAnomalyAt(tt) - reduced;
      const Angle anomaly = EccentricAnomaly(reduced, e);
      anomaly_ = anomaly.radians;
      sine_ = anomaly.sine;
      cosine_ = anomaly.cosine;
      return Here();
    }
    // Newton's method leaves an error of at most e / (2 (1 - e)) times the square of its last change.
    const double curve = e / (2 * (1 - e));
    double sine = sine_, cosine = cosine_;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double s, c;
      SmallSineCosine(step, s, c);
      sine = sine_ * c + cosine_ * s;
      cosine = cosine_ * c - sine_ * s;
      const double change = (anomaly_ + step - e * sine - mean) / (1 - e * cosine);
      step -= change;
      if (curve * change * change < 1e-15 || std::abs(change) < 1e-12) {
        // Turned back by the last change to second order, within change^3 / 6.
        const double half = change * change / 2;
        const double turned = sine - change * cosine - half * sine;
        cosine += change * sine - half * cosine;
        sine = turned;
        break;
      }
    }
    anomaly_ += step;
    sine_ = sine;
    cosine_ = cosine;
    return Here();
  }

  // The most the position's third derivative can be anywhere on the orbit: from the acceleration -k^2 P / r^3,
  // k^2 (|v| + 3 |dr/dt|) / r^3, with r at its least and v at its most, the perihelion's, and |dr/dt| at most
  // k e / sqrt(a (1 - e^2)).
  double Jerk() const {
    const double a = elements_.semimajorAxis, e = elements_.eccentricity;
    const double q = a * (1 - e);
    const double speed = kGauss * std::sqrt(2 / q - 1 / a);
    const double climb = kGauss * e / std::sqrt(a * (1 - e * e));
    return kGauss * kGauss * (speed + 3 * climb) / (q * q * q);
  }

 private:
  double MeanAnomalyAt(double tt) const {
    return elements_.meanAnomaly * ERFA_DD2R + motion_ * (tt - elements_.epoch);
  }

  Vector3 Position(double sine, double cosine) const {
    const double x = elements_.semimajorAxis * (cosine - elements_.eccentricity);
    const double y = minorAxis_ * sine;
    return {x * plane_.p.x + y * plane_.q.x, x * plane_.p.y + y * plane_.q.y, x * plane_.p.z + y * plane_.q.z};
  }

  // The motion at the eccentric anomaly MotionNear reached.
  Motion Here() const {
    const double a = elements_.semimajorAxis, e = elements_.eccentricity;
    const double rate = motion_ / (1 - e * cosine_);  // of the eccentric anomaly
    const double vx = -a * sine_ * rate, vy = minorAxis_ * cosine_ * rate;
    const double r = a * (1 - e * cosine_);
    const double pull = -kGauss * kGauss / (r * r * r);
    const Vector3 position = Position(sine_, cosine_);
    return {position,
            {vx * plane_.p.x + vy * plane_.q.x, vx * plane_.p.y + vy * plane_.q.y, vx * plane_.p.z + vy * plane_.q.z},
            {position.x * pull, position.y * pull, position.z * pull}};
  }

  const Elements& elements_;
  Plane plane_;
  double motion_;
  double minorAxis_;
  // MotionNear's eccentric anomaly (less the whole turns), its sine and cosine.
  long followed_ = 0;
  double turns_ = 0, anomaly_ = 0, sine_ = 0, cosine_ = 1;
};

// The light (1 - G) Phi1 + G Phi2 of the H, G system at the phase angle whose half has the tangent t.
void PhaseFunctions(double t, double& phi1, double& phi2) {
  const double logT = std::log(t);
  phi1 = std::exp(-3.33 * std::exp(0.63 * logT));
  phi2 = std::exp(-1.87 * std::exp(1.22 * logT));
}

// V from H and G at distances r and Delta, with the phase angle between the asteroid's vectors from the Sun and
// from the Earth (its half's tangent from their cross product, exact at small angles too).
double Magnitude(const Elements& elements, const Vector3& asteroid, const Vector3& seen, double r, double delta) {
  const double t = Length(Cross(asteroid, seen)) / (r * delta + Dot(asteroid, seen));
  double phi1, phi2;
  PhaseFunctions(t, phi1, phi2);
  const double reflected = (1 - elements.g) * phi1 + elements.g * phi2;
  // A G outside 0 to 1 leaves no light at some phase angles: no day then, rather than a NaN that beats no day.
  if (!(reflected > 0)) return kInfinity;
  return elements.h + 5 * std::log10(r * delta) - 2.5 * std::log10(reflected);
}

// Phi1 and Phi2 at the start of each bin of sin(phase / 2), one bin early against rounding: as both fall with
// the phase angle, for G from 0 to 1 they give the most light any phase angle of the bin can give.
struct PhaseBins {
  static constexpr int kBins = 2048;
  double phi1[kBins + 1], phi2[kBins + 1];
  PhaseBins() {
    for (int bin = 0; bin <= kBins; ++bin) {
      const double s = std::max(bin - 1, 0) / static_cast<double>(kBins);
      PhaseFunctions(s / std::sqrt(1 - s * s), phi1[bin], phi2[bin]);
    }
  }
  // The bin of a phase angle with the given cosine, less `turn` in sin(phase / 2); the first for a NaN.
  int BinOf(double cosine, double turn) const {
    const double s = std::sqrt(std::max(0.0, (1 - cosine) / 2)) - turn;
    const double at = s > 0 ? s * kBins : 0;
    return at < kBins ? static_cast<int>(at) : kBins;
  }
};

const PhaseBins& Bins() {
  static const PhaseBins bins;
  return bins;
}

// The least length of point + direction t for t from -span to span.
double NearestOnLine(const Vector3& point, const Vector3& direction, double span) {
  const double square = Dot(direction, direction);
  const double t = square > 0 ? std::clamp(-Dot(point, direction) / square, -span, span) : 0;
  return Length({point.x + direction.x * t, point.y + direction.y * t, point.z + direction.z * t});
}

// The most the direction of point + direction t + (a vector of length at most `bend`) can turn from the point's,
// in radians, for t from -span to span: at most the tangent of the angle, the part across over what is left along.
double TurnOf(const Vector3& point, const Vector3& direction, double span, double bend) {
  const double length = Length(point);
  const double along = std::abs(Dot(point, direction)) / length;
  const double across = std::sqrt(std::max(Dot(direction, direction) - along * along, 0.0));
  const double left = length - along * span - bend;
  return left > 0 ? (across * span + bend) / left : kInfinity;
}

// The search for an asteroid's peak over a window. Days go in blocks of up to 17, over which the motion at the
// block's middle day gives the asteroid's position within 3e-4 AU (shorter blocks where the orbit curves faster).
// A block gets a bound from the motions of the asteroid and the Earth at its middle day; a block whose
// bound can still beat the threshold gives each day the elongation limit lets in a bound of its own, from the
// polynomial's position with its stray allowed for. Either bound is (r Delta)^2 over the most light the phase
// angle allows (its bin's, for the day): V = H + 2.5 log10(bound) cannot beat the true V. V is worked out exactly,
// as SightOf does, only on the days whose bound can beat or tie the best V so far (or the limit asked): the
// least-bound block first and in each block its least-bound day, so that the threshold tightens early.
class PeakSearch {
 public:
  PeakSearch(const Elements& elements, const DayWindow& window, double minElongation)
      : elements_(elements),
        window_(window),
        minElongation_(minElongation),
        // No elongation passes 180 degrees (nor NaN).
        possible_(IsEllipse(elements) && window.days() > 0 && minElongation <= 180),
        binned_(elements.g >= 0 && elements.g <= 1),
        limited_(minElongation > 0),
        mostLight_(std::max({1.0, elements.g, 1 - elements.g})),
        cosLimit_(std::cos(minElongation * ERFA_DD2R)),
        orbit_(elements),
        jerk_(possible_ ? orbit_.Jerk() : 0),
        perihelion_(elements.semimajorAxis * (1 - elements.eccentricity)) {
    while (reach_ > 0 && StrayAt(reach_) > kMostStray) --reach_;
  }

  // The least V of the days let in, and the first day that gives it, when that V is at most `faintest`; with
  // `anyDay`, the first day found whose V is at most `faintest`.
  Peak Find(double faintest, bool anyDay) {
    if (!possible_) return {};
    thread_local std::vector<Block> blocks;
    thread_local std::vector<double> bounds;  // per day; -1: not let in
    blocks_ = &blocks;
    bounds_ = &bounds;
    blocks.clear();
    bounds.resize(static_cast<std::size_t>(window_.days()));
    peak_ = {};
    faintest_ = faintest;
    threshold_ = BoundFor(faintest);
    if (anyDay) {
      for (int first = 0; first < window_.days() && !Found(); first += 2 * reach_ + 1) Visit(AddBlock(first), true);
    } else {
      std::size_t least = 0;
      for (int first = 0; first < window_.days(); first += 2 * reach_ + 1) {
        if (AddBlock(first).bound < blocks[least].bound) least = blocks.size() - 1;
      }
      Visit(blocks[least], false);
      for (std::size_t block = 0; block < blocks.size(); ++block) {
        if (block != least) Visit(blocks[block], false);
      }
    }
    return Found() ? peak_ : Peak{};
  }

 private:
  static constexpr double kMostStray = 3e-4;  // AU

  struct Block {
    int first, last, middle;
    Motion motion;
    double bound;
  };

  bool Found() const { return peak_.found && peak_.magnitude <= faintest_; }
  double StrayAt(double t) const { return jerk_ * std::abs(t * t * t) / 6; }

  // A bound above this cannot give a V of `magnitude` or less, rounding of V's sum included (which hides whole
  // magnitudes behind a huge H).
  double BoundFor(double magnitude) const {
    const double rounding =
        16 * std::numeric_limits<double>::epsilon() * (std::abs(magnitude) + std::abs(elements_.h));
    return std::pow(10.0, 0.4 * (magnitude - elements_.h + rounding)) * (1 + kSlack);
  }

  const Block& AddBlock(int first) {
    Block& block = blocks_->emplace_back();
    block.first = first;
    block.last = std::min(first + 2 * reach_, window_.days() - 1);
    block.middle = (block.first + block.last) / 2;
    block.motion = orbit_.MotionNear(window_.Day(block.middle));
    // Along the block the asteroid's position and its position from the Earth stray from the straight lines of
    // their velocities at the middle by at most half the square of the time times the most acceleration: k^2 / q^2
    // for the asteroid, the Sun's pull at the Earth's perihelion and a little for the Moon's and the planets' for
    // the Earth.
    const double span = block.last - block.middle;
    const double bend = span * span / 2;
    const double pull = kGauss * kGauss / (perihelion_ * perihelion_);
    constexpr double kEarthPull = kGauss * kGauss / (0.983 * 0.983) + 3e-6;
    const Vector3& position = block.motion.position;
    const Vector3 seen = Minus(position, window_.Earth(block.middle));
    const Vector3 relative = Minus(block.motion.velocity, window_.EarthVelocity(block.middle));
    const double nearR = std::max(NearestOnLine(position, block.motion.velocity, span) - bend * pull, 0.0);
    const double nearDelta = std::max(NearestOnLine(seen, relative, span) - bend * (pull + kEarthPull), 0.0);
    const double product = nearR * nearR * nearDelta * nearDelta;
    block.bound = product / mostLight_;
    // The phase angle is at least the middle day's less how far each of its two directions can turn.
    if (binned_) {
      const double turn = TurnOf(position, block.motion.velocity, span, bend * pull) +
                          TurnOf(seen, relative, span, bend * (pull + kEarthPull));
      const int bin = bins_.BinOf(Dot(position, seen) / (Length(position) * Length(seen)), turn / 2);
      block.bound = product / ((1 - elements_.g) * bins_.phi1[bin] + elements_.g * bins_.phi2[bin]);
    }
    return block;
  }

  // The exact elongation test of SightOf, for the days the quick one cannot tell.
  bool ElongationPasses(int day) const {
    const Vector3 seen = Minus(orbit_.At(window_.Day(day)), window_.Earth(day));
    return AngleDegrees(-Dot(window_.Earth(day), seen) / (window_.EarthSunDistance(day) * Length(seen))) >=
           minElongation_;
  }

  void BoundDays(const Block& block) {
    for (int day = block.first; day <= block.last; ++day) {
      const double t = day - block.middle;
      const double stray = StrayAt(t);
      const Vector3 position = block.motion.After(t);
      const Vector3 seen = Minus(position, window_.Earth(day));
      const double delta = std::sqrt(Dot(seen, seen));
      const double r = std::sqrt(Dot(position, position));
      const double nearDelta = std::max(delta - stray, 0.0), nearR = std::max(r - stray, 0.0);
      double& bound = (*bounds_)[static_cast<std::size_t>(day)];
      bound = -1;
      if (limited_) {
        // cos(elongation) against cos(limit), with an exact look at the days too close to call; the stray
        // moves -E.S - cos(limit) |E| |S| by at most 2 |E| stray.
        const double earth = window_.EarthSunDistance(day);
        const double gap = -Dot(window_.Earth(day), seen) - cosLimit_ * earth * delta;
        const double doubt = kSlack * earth * delta + 2 * earth * stray;
        if (gap > doubt || (gap >= -doubt && !ElongationPasses(day))) continue;
      }
      const double product = nearR * nearR * nearDelta * nearDelta;
      bound = product / mostLight_;
      // Where the bound without the phase angle could still beat the threshold, its bin's: the stray turns each
      // of the two directions by at most asin(stray / length) < 1.6 stray / length, and sin(phase / 2) by half
      // their sum.
      if (bound <= threshold_ && binned_ && stray < std::min(nearR, nearDelta)) {
        const double turn = 0.8 * stray * (nearR + nearDelta) / (nearR * nearDelta);
        const int bin = bins_.BinOf(Dot(position, seen) / (r * delta), turn);
        bound = product / ((1 - elements_.g) * bins_.phi1[bin] + elements_.g * bins_.phi2[bin]);
      }
    }
  }

  void Consider(int day) {
    const double bound = (*bounds_)[static_cast<std::size_t>(day)];
    if (bound < 0 || bound > threshold_) return;
    const Vector3 position = orbit_.At(window_.Day(day));
    const Vector3 seen = Minus(position, window_.Earth(day));
    const double magnitude = Magnitude(elements_, position, seen, Length(position), Length(seen));
    if (!peak_.found || magnitude < peak_.magnitude || (magnitude == peak_.magnitude && day < peak_.day)) {
      peak_ = {true, magnitude, day};
      threshold_ = std::min(threshold_, BoundFor(magnitude));
    }
  }

  void Visit(const Block& block, bool anyDay) {
    if (block.bound > threshold_) return;
    BoundDays(block);
    const std::vector<double>& bounds = *bounds_;
    int least = block.first;
    for (int day = block.first + 1; day <= block.last; ++day) {
      const double bound = bounds[static_cast<std::size_t>(day)];
      const double leastBound = bounds[static_cast<std::size_t>(least)];
      if (bound >= 0 && (leastBound < 0 || bound < leastBound)) least = day;
    }
    Consider(least);
    for (int day = block.first; day <= block.last && !(anyDay && Found()); ++day) {
      if (day != least) Consider(day);
    }
  }

  const Elements& elements_;
  const DayWindow& window_;
  const double minElongation_;
  const bool possible_, binned_, limited_;
  const double mostLight_, cosLimit_;
  Orbit orbit_;
  const double jerk_, perihelion_;
  const PhaseBins& bins_ = Bins();
  int reach_ = 8;  // days from a block's middle to its ends
  std::vector<Block>* blocks_ = nullptr;
  std::vector<double>* bounds_ = nullptr;
  Peak peak_;
  double faintest_ = kInfinity, threshold_ = kInfinity;
};

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
  sight.magnitude = Magnitude(elements, asteroid, seen, sight.sunDistance, sight.earthDistance);
  double ra = std::atan2(seen.y, seen.x);
  if (ra < 0) ra += 2 * ERFA_DPI;
  sight.rightAscension = ra * 12 / ERFA_DPI;
  sight.declination = std::atan2(seen.z, std::hypot(seen.x, seen.y)) * ERFA_DR2D;
  return sight;
}

DayWindow::DayWindow(double firstDay, int days) : firstDay_(firstDay) {
  const std::size_t count = static_cast<std::size_t>(std::clamp(days, 0, kMostDays));
  earth_.reserve(count);
  earthVelocity_.reserve(count);
  earthSun_.reserve(count);
  for (std::size_t day = 0; day < count; ++day) {
    double heliocentric[2][3];
    double barycentric[2][3];
    eraEpv00(ERFA_DJM0, firstDay + static_cast<double>(day) - ERFA_DJM0, heliocentric, barycentric);
    earth_.push_back({heliocentric[0][0], heliocentric[0][1], heliocentric[0][2]});
    earthVelocity_.push_back({heliocentric[1][0], heliocentric[1][1], heliocentric[1][2]});
    earthSun_.push_back(Length(earth_.back()));
  }
  if (count > 0) {
    nearest_ = *std::min_element(earthSun_.begin(), earthSun_.end());
    farthest_ = *std::max_element(earthSun_.begin(), earthSun_.end());
  }
}

Peak PeakOf(const Elements& elements, const DayWindow& window, double minElongation) {
  return PeakOf(elements, window, minElongation, kInfinity);
}

Peak PeakOf(const Elements& elements, const DayWindow& window, double minElongation, double faintest) {
  return PeakSearch(elements, window, minElongation).Find(faintest, false);
}

bool Reaches(const Elements& elements, const DayWindow& window, double minElongation, double faintest) {
  return PeakSearch(elements, window, minElongation).Find(faintest, true).found;
}

double BrightestPossible(const Elements& elements) {
  if (!IsEllipse(elements)) return -kInfinity;
  const double q = elements.semimajorAxis * (1 - elements.eccentricity);
  const double farthest = elements.semimajorAxis * (1 + elements.eccentricity);
  // The least r * Delta over the orbit's distances from the Sun, Delta at least the gap to the Earth's orbit.
  double product = 0;
  if (q > kEarthFarthest) {
    product = q * (q - kEarthFarthest);
  } else if (farthest < kEarthNearest) {
    product = std::min(q * (kEarthNearest - q), farthest * (kEarthNearest - farthest));
  }
  if (product <= 0) return -kInfinity;
  // No phase makes (1 - G) Phi1 + G Phi2 larger than this.
  const double phase = std::max({1.0, elements.g, 1 - elements.g});
  return elements.h + 5 * std::log10(product) - 2.5 * std::log10(phase) - 1e-9;
}

double BrightestPossible(const Elements& elements, const DayWindow& window) {
  if (!IsEllipse(elements)) return -kInfinity;
  if (window.days() == 0) return kInfinity;
  const double a = elements.semimajorAxis, e = elements.eccentricity;
  // The asteroid's least and most distance from the Sun in the window, a (1 - e cos E), from the eccentric
  // anomalies E of its first and last day and the perihelia (E = 0, 2 pi, ...) and aphelia (pi, 3 pi, ...)
  // between them. Three rounds of E = M + e sin E from E = M put E within e^4 (each round within e times the last).
  const double motion = kGauss / (a * std::sqrt(a));
  const double first = elements.meanAnomaly * ERFA_DD2R + motion * (window.Day(0) - elements.epoch);
  const double last = first + motion * (window.days() - 1);
  const auto anomalyOf = [&](double mean) {
    double anomaly = mean;
    for (int round = 0; round < 3; ++round) anomaly = mean + e * std::sin(anomaly);
    return anomaly;
  };
  const double error = e * e * e * e;
  const double low = anomalyOf(first) - error, high = anomalyOf(last) + error;
  const auto between = [&](double angle) {  // angle + 2 pi k, for some k
    return std::floor((high - angle) / (2 * ERFA_DPI)) >= std::ceil((low - angle) / (2 * ERFA_DPI));
  };
  const double mostCosine = between(0) ? 1 : std::max(std::cos(low), std::cos(high));
  const double leastCosine = between(ERFA_DPI) ? -1 : std::min(std::cos(low), std::cos(high));
  const double nearest = a * (1 - e * mostCosine) * (1 - kSlack);
  const double farthest = a * (1 - e * leastCosine) * (1 + kSlack);
  const double earthNearest = window.EarthNearest() * (1 - kSlack);
  const double earthFarthest = window.EarthFarthest() * (1 + kSlack);
  // The least r * Delta, Delta at least the gap between the two distances from the Sun.
  double product = 0;
  if (nearest > earthFarthest) {
    product = nearest * (nearest - earthFarthest);
  } else if (farthest < earthNearest) {
    product = std::min(nearest * (earthNearest - nearest), farthest * (earthNearest - farthest));
  }
  if (product <= 0) return -kInfinity;
  const double phase = std::max({1.0, elements.g, 1 - elements.g});
  return elements.h + 5 * std::log10(product) - 2.5 * std::log10(phase) - 1e-9;
}

}  // namespace orbivane::sky
