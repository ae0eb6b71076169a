// Writes a synthetic astorb.dat of today's layout for the benchmark: 267
// characters and an LF per line (268 bytes), numbered asteroids first and
// unnumbered designations after them, as in the real file. The orbits and
// magnitudes are spread as the real catalog's are, so that a selection by
// brightness does as much work here as there: nine in ten in the main belt,
// Hungarias, Mars-crossers, near-Earth asteroids of all four classes, Hildas,
// Trojans, Centaurs and trans-Neptunians; most H between 14 and 19, a few
// thousand brighter than 12; nearly every epoch the catalog's common one,
// 2026-05-01, the rest older; G 0.15 but for a few.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Ceres's line of Lowell's documentation; fields are overwritten per line.
const char kTemplate[] =
    "     1 Ceres              E. Bowell        3.34  0.12 0.72 913.0 G?      0   0   0   0   0   0 56959 4750 "
    "19960427  80.477333  71.802404  80.659857 10.600303 0.07604100   2.76788714 19960414 2.3E-02  1.4E-04 "
    "19960416 2.7E-02 19960530 3.1E-02 20040111 3.1E-02 20040111";

constexpr long kNumbered = 760000;  // roughly today's count of numbered asteroids

unsigned long long state = 88172645463325252ull;
double Uniform() {  // xorshift64: fast and the same on every machine
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return static_cast<double>(state >> 11) / 9007199254740992.0;
}
double Between(double low, double high) { return low + (high - low) * Uniform(); }
// |N(0, sigma)|, by Box and Muller.
double HalfNormal(double sigma) {
  return sigma * std::abs(std::sqrt(-2 * std::log(1 - Uniform())) * std::cos(6.283185307179586 * Uniform()));
}

// The cumulative share of a population at each H of a table, read backwards.
struct Step {
  double h, share;
};
template <std::size_t kSteps>
double MagnitudeOf(const Step (&steps)[kSteps]) {
  const double u = Uniform();
  for (std::size_t i = 1; i < kSteps; ++i) {
    if (u <= steps[i].share) {
      const double part = (u - steps[i - 1].share) / (steps[i].share - steps[i - 1].share);
      return steps[i - 1].h + part * (steps[i].h - steps[i - 1].h);
    }
  }
  return steps[kSteps - 1].h;
}
// Of the belt's 1.3 million, about 4,500 brighter than 12 and 13,000 than 13; most between 14 and 19.
constexpr Step kBeltMagnitudes[] = {{3, 0},      {6, 0.00002},  {9, 0.0003}, {10, 0.0007}, {11, 0.0012},
                                    {12, 0.0035}, {13, 0.01},  {14, 0.032}, {15, 0.08},   {16, 0.17},
                                    {17, 0.32},   {18, 0.55},   {19, 0.80},  {20, 0.93},   {21, 0.98},
                                    {22, 1}};
constexpr Step kNeoMagnitudes[] = {{9.5, 0}, {13, 0.003}, {15, 0.02}, {17, 0.08}, {19, 0.22}, {21, 0.42},
                                   {23, 0.62}, {25, 0.81}, {27, 0.93}, {30, 1}};
constexpr Step kTrojanMagnitudes[] = {{8, 0}, {10, 0.01}, {12, 0.08}, {13, 0.2}, {14, 0.45}, {15, 0.75},
                                      {16, 0.95}, {17, 1}};
constexpr Step kCentaurMagnitudes[] = {{5.5, 0}, {7, 0.03}, {9, 0.2}, {11, 0.6}, {13, 0.9}, {15, 1}};
constexpr Step kDistantMagnitudes[] = {{3, 0}, {5, 0.05}, {6, 0.2}, {7, 0.5}, {8, 0.85}, {10, 0.97}, {12, 1}};

struct Orbit {
  double a, e, i, h;
};

// An orbit of a population drawn by its share of the catalog.
Orbit DrawOrbit() {
  const double u = Uniform();
  Orbit o{};
  if (u < 0.027) {  // near-Earth: Apollo, Amor, Aten, a few Atiras
    const double kind = Uniform();
    if (kind < 0.55) {
      o.a = Between(1.0, 3.0);
      o.e = std::max(0.0, 1 - Between(0.15, 1.017) / o.a);
    } else if (kind < 0.93) {
      o.a = Between(1.1, 3.5);
      o.e = std::max(0.0, 1 - Between(1.017, 1.3) / o.a);
    } else if (kind < 0.999) {
      o.a = Between(0.6, 1.0);
      o.e = Between(std::max(0.0, 0.983 / o.a - 1), 0.9);
    } else {
      o.a = Between(0.5, 0.9);
      o.e = Between(0, std::min(0.9, 0.98 / o.a - 1));
    }
    o.i = HalfNormal(15);
    o.h = MagnitudeOf(kNeoMagnitudes);
    return o;
  }
  if (u < 0.045) {  // Hungarias
    o.a = Between(1.78, 2.0);
    o.e = Between(0.02, 0.17);
    o.i = Between(16, 34);
  } else if (u < 0.058) {  // Mars-crossers
    o.a = Between(1.7, 3.2);
    o.e = 1 - Between(1.3, 1.666) / o.a;
    o.i = HalfNormal(15);
  } else if (u < 0.062) {  // Hildas
    o.a = Between(3.7, 4.1);
    o.e = Between(0, 0.3);
    o.i = Between(0, 20);
  } else if (u < 0.072) {  // the outer belt
    o.a = Between(3.2, 3.6);
    o.e = HalfNormal(0.1);
    o.i = HalfNormal(10);
  } else if (u < 0.083) {  // Jupiter's Trojans
    o.a = Between(5.1, 5.3);
    o.e = HalfNormal(0.07);
    o.i = HalfNormal(15);
    o.h = MagnitudeOf(kTrojanMagnitudes);
    return o;
  } else if (u < 0.087) {  // Centaurs and beyond Neptune
    const bool centaur = Uniform() < 0.3;
    o.a = centaur ? Between(6, 30) : Between(30.1, 60);
    o.e = Between(0, std::min(0.6, 1 - 1.3 / o.a));
    o.i = HalfNormal(12);
    o.h = centaur ? MagnitudeOf(kCentaurMagnitudes) : MagnitudeOf(kDistantMagnitudes);
    return o;
  } else if (u < 0.08702) {  // a few orbits that are no ellipse
    o.a = -Between(1, 50);
    o.e = Between(1.0, 1.2);
    o.i = Between(0, 180);
  } else {  // the main belt
    const double zone = Uniform();
    o.a = zone < 0.3 ? Between(2.1, 2.5) : zone < 0.65 ? Between(2.5, 2.82) : Between(2.82, 3.2);
    o.e = std::min(HalfNormal(0.15), 1 - 1.67 / o.a);
    o.i = HalfNormal(9);
  }
  o.h = MagnitudeOf(kBeltMagnitudes);
  return o;
}

void Put(char* line, int column, const char* text) { std::memcpy(line + column - 1, text, std::strlen(text)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_astorb LINES OUTPUT\n");
    return 2;
  }
  const long lines = std::atol(argv[1]);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  static_assert(sizeof kTemplate == 268, "267 characters and the NUL");
  char line[268];
  char field[64];
  for (long n = 1; n <= lines; ++n) {
    std::memcpy(line, kTemplate, 267);
    line[267] = '\n';
    if (n <= kNumbered) {
      std::snprintf(field, sizeof field, "%6ld", n);
      Put(line, 1, field);
      std::snprintf(field, sizeof field, "%-18s", ("Minor " + std::to_string(n)).c_str());
    } else {
      Put(line, 1, "      ");
      std::snprintf(field, sizeof field, "%-18s", ("2026 A" + std::to_string(n % 100000)).c_str());
    }
    Put(line, 8, field);
    const Orbit orbit = DrawOrbit();
    std::snprintf(field, sizeof field, "%5.2f", orbit.h);
    Put(line, 43, field);
    std::snprintf(field, sizeof field, "%5.2f", Uniform() < 0.99 ? 0.15 : Between(0, 0.5));
    Put(line, 49, field);
    if (Uniform() < 0.97) {
      Put(line, 107, "20260501");
    } else {
      std::snprintf(field, sizeof field, "%04d%02d%02d", 1990 + static_cast<int>(36 * Uniform()),
                    1 + static_cast<int>(12 * Uniform()), 1 + static_cast<int>(28 * Uniform()));
      Put(line, 107, field);
    }
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 116, field);
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 127, field);
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 138, field);
    std::snprintf(field, sizeof field, "%10.6f", std::min(orbit.i, 179.0));
    Put(line, 148, field);
    std::snprintf(field, sizeof field, "%10.8f", orbit.e);
    Put(line, 159, field);
    std::snprintf(field, sizeof field, "%13.8f", orbit.a);
    Put(line, 169, field);
    if (std::fwrite(line, 1, sizeof line, out) != sizeof line) {
      std::perror(argv[2]);
      return 1;
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
