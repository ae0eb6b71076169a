// Writes a synthetic astorb.dat of today's layout for the benchmark: 267
// characters and an LF per line (268 bytes), numbered asteroids first and
// unnumbered designations after them, as in the real file, with elements
// that vary from line to line.
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
    std::snprintf(field, sizeof field, "%5.2f", 3.0 + 17.0 * Uniform());
    Put(line, 43, field);
    std::snprintf(field, sizeof field, "%04d%02d%02d", 2020 + static_cast<int>(7 * Uniform()),
                  1 + static_cast<int>(12 * Uniform()), 1 + static_cast<int>(28 * Uniform()));
    Put(line, 107, field);
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 116, field);
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 127, field);
    std::snprintf(field, sizeof field, "%10.6f", 360.0 * Uniform());
    Put(line, 138, field);
    std::snprintf(field, sizeof field, "%10.6f", 40.0 * Uniform());
    Put(line, 148, field);
    std::snprintf(field, sizeof field, "%10.8f", 0.4 * Uniform());
    Put(line, 159, field);
    std::snprintf(field, sizeof field, "%13.8f", 1.5 + 3.5 * Uniform());
    Put(line, 169, field);
    if (std::fwrite(line, 1, sizeof line, out) != sizeof line) {
      std::perror(argv[2]);
      return 1;
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
