#include "orbit_class.h"

namespace orbivane::sky {

namespace {

bool IsBound(double a, double e) { return a > 0 && e < 1; }

}  // namespace

OrbitClass ClassOf(double a, double e, double i) {
  (void)i;
  if (!IsBound(a, e)) return OrbitClass::kOther;
  const double q = a * (1 - e);
  const double aphelion = a * (1 + e);
  if (a < 1.0) return aphelion < 0.983 ? OrbitClass::kAtira : OrbitClass::kAten;
  if (q < 1.017) return OrbitClass::kApollo;
  if (q < 1.3) return OrbitClass::kAmor;
  if (q < 1.666 && a < 3.2) return OrbitClass::kMarsCrosser;
  if (q >= 1.666 && a < 2.0) return OrbitClass::kInnerMain;
  if (q >= 1.666 && a < 3.2) return OrbitClass::kMain;
  if (a >= 3.2 && a < 4.6) return OrbitClass::kOuterMain;
  if (a >= 4.6 && a < 5.5 && e < 0.3) return OrbitClass::kTrojan;
  if (a >= 5.5 && a < 30.1) return OrbitClass::kCentaur;
  if (a >= 30.1) return OrbitClass::kTno;
  return OrbitClass::kOther;
}

unsigned GroupsOf(double a, double e, double i) {
  if (!IsBound(a, e)) return 0;
  unsigned groups = 0;
  if (a * (1 - e) < 1.3) groups |= kNeo;
  if (a >= 1.78 && a < 2.0 && e < 0.18 && i >= 16 && i < 34) groups |= kHungaria;
  if (a >= 3.7 && a < 4.2 && e < 0.3 && i < 20) groups |= kHilda;
  return groups;
}

std::string_view ClassName(OrbitClass orbitClass) {
  static constexpr std::string_view kNames[kOrbitClassCount] = {
      "atira", "aten", "apollo", "amor", "mars-crosser", "inner-main", "main", "outer-main", "trojan", "centaur",
      "tno", "other"};
  return kNames[static_cast<int>(orbitClass)];
}

std::string_view GroupName(OrbitGroup group) {
  switch (group) {
    case kNeo:
      return "neo";
    case kHungaria:
      return "hungaria";
    default:
      return "hilda";
  }
}

}  // namespace orbivane::sky
