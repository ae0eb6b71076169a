// The orbit classes and groups of asteroids, from the semimajor axis a (AU),
// the eccentricity e and the inclination i (degrees), with the perihelion
// distance q = a(1 - e) and the aphelion distance Q = a(1 + e). The classes
// do not overlap; a group may hold asteroids of several classes.
#pragma once

#include <string_view>

namespace orbivane::sky {

enum class OrbitClass {
  kAtira,        // a < 1.0 and Q < 0.983
  kAten,         // a < 1.0 and Q >= 0.983
  kApollo,       // a >= 1.0 and q < 1.017
  kAmor,         // a >= 1.0 and 1.017 <= q < 1.3
  kMarsCrosser,  // 1.3 <= q < 1.666 and a < 3.2
  kInnerMain,    // a < 2.0 and q >= 1.666
  kMain,         // 2.0 <= a < 3.2 and q >= 1.666
  kOuterMain,    // 3.2 <= a < 4.6 and q >= 1.3
  kTrojan,       // 4.6 <= a < 5.5, e < 0.3 and q >= 1.3
  kCentaur,      // 5.5 <= a < 30.1 and q >= 1.3
  kTno,          // a >= 30.1 and q >= 1.3
  kOther,        // none of these, and every orbit with a <= 0 or e >= 1
};
inline constexpr int kOrbitClassCount = 12;

// Groups, as bits: an orbit with a <= 0 or e >= 1 is in none.
enum OrbitGroup : unsigned {
  kNeo = 1u << 0,       // q < 1.3
  kHungaria = 1u << 1,  // 1.78 <= a < 2.0, e < 0.18 and 16 <= i < 34
  kHilda = 1u << 2,     // 3.7 <= a < 4.2, e < 0.3 and i < 20
};
inline constexpr int kOrbitGroupCount = 3;

OrbitClass ClassOf(double a, double e, double i);
unsigned GroupsOf(double a, double e, double i);

// The names of the command line: "atira" ... "other"; "neo", "hungaria", "hilda".
std::string_view ClassName(OrbitClass orbitClass);
std::string_view GroupName(OrbitGroup group);

}  // namespace orbivane::sky
