// MPCORB sources: the fields of an orbit line, which lines of a source are its entries, how a source is told
// from an ASTORB one, and the same orbits as ASTORB and as MPCORB lines giving the same catalogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "catalog.h"
#include "entry_count.h"
#include "gzip_text.h"
#include "mpcorb_line.h"
#include "run_program.h"
#include "source_format.h"
#include "test_files.h"

namespace orbivane {
namespace {

using testing::FakeServices;
using testing::ReadFile;
using testing::SampleFile;
using testing::WriteFile;

// One asteroid's orbit, as both formats write it.
struct Orbit {
  long long number;           // 0: none
  std::string packed;         // MPCORB's columns 1-7
  std::string name;           // ASTORB's name column, MPCORB's designation after "(n)"
  std::string h = " 9.50";    // as written, 5 columns
  std::string g = " 0.15";    // likewise
  int year = 2025, month = 5, day = 5;
  double m = 188.70269, perihelion = 73.27343, node = 80.25221, i = 10.5878, e = 0.0794013, a = 2.7660512;
};

std::string Packed(long long number) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  char text[8];
  if (number < 620000) {
    std::snprintf(text, sizeof text, "%c%04lld", kDigits[number / 10000], number % 10000);
  } else {
    long long rest = number - 620000;
    text[0] = '~';
    for (int k = 4; k >= 1; --k, rest /= 62) text[k] = kDigits[rest % 62];
    text[5] = '\0';
  }
  return text;
}

std::string PackedEpoch(int year, int month, int day) {
  static const char kDays[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  return std::string(1, static_cast<char>('A' + year / 100 - 10)) + std::to_string(year % 100 / 10) +
         std::to_string(year % 10) + kDays[month] + kDays[day];
}

// The orbit line MPC writes: the elements in their columns, the rest of MPC's fields, the readable designation
// ("(n)" right-justified in its first 8 columns) from column 167.
std::string MpcorbLine(const Orbit& o) {
  char text[256];
  std::snprintf(text, sizeof text, "%-7s %5s %5s %s %9.5f  %9.5f  %9.5f  %9.5f  %9.7f %11.8f %11.7f", o.packed.c_str(),
                o.h.c_str(), o.g.c_str(), PackedEpoch(o.year, o.month, o.day).c_str(), o.m, o.perihelion, o.node, o.i,
                o.e, 0.21424651, o.a);
  std::string line = std::string(text) + "  0 MPO838504  7330 125 1801-2025 0.65 M-v 30k MPCLINUX   4000";
  line.resize(166, ' ');
  const std::string numbered = o.number > 0 ? "(" + std::to_string(o.number) + ")" : "";
  std::snprintf(text, sizeof text, "%8s %-19s", numbered.c_str(), o.name.c_str());
  return line + (o.number > 0 ? text : o.name + std::string(28 - o.name.size(), ' ')) + " 20250516";
}

// The same orbit as a line of today's astorb.dat (angles with five decimals, e and a with seven, as MPC's).
std::string AstorbLine(const Orbit& o) {
  std::string line(267, ' ');
  const auto put = [&line](std::size_t at, const std::string& text) { line.replace(at, text.size(), text); };
  char text[128];
  if (o.number > 0) put(0, (std::snprintf(text, sizeof text, "%6lld", o.number), text));
  put(7, o.name);
  put(42, o.h);
  put(48, o.g);
  put(106, (std::snprintf(text, sizeof text, "%04d%02d%02d", o.year, o.month, o.day), text));
  put(115, (std::snprintf(text, sizeof text, "%10.5f %10.5f %10.5f%10.5f %10.7f%13.7f", o.m, o.perihelion, o.node,
                          o.i, o.e, o.a), text));
  return line;
}

const char kHeader[] =
    "MINOR PLANET CENTER ORBIT DATABASE (MPCORB)\n\nThis file contains published orbital elements.\n\n"
    "Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e            n           a\n"
    "-------------------------------------------------------------------------------------------------------\n";

Orbit Numbered(long long number, const std::string& name) { return Orbit{number, Packed(number), name}; }

// Each field of an orbit line, each packed form at its edges, into the catalog's record.
TEST(MpcorbLineTest, ReadsEachFieldIntoTheRecord) {
  const std::string ceres = ReadFile(SampleFile("mpcorb-sample.dat")).substr(0, 202);
  const std::string eros = MpcorbLine(Numbered(433, "Eros"));
  const auto with = [](Orbit o, auto change) { change(o); return MpcorbLine(o); };
  const Orbit yr4{0, "K24Y04R", "2024 YR4"};
  const std::string tail = " 2460800.500  10.587800  80.252210  73.273430    2.76605120 0.07940130 188.702690  9.50";
  // The record's number and name columns, then the rest.
  const auto record = [](const std::string& number, const std::string& name, const std::string& rest) {
    return number + name + std::string(26 - name.size(), ' ') + rest;
  };
  const struct { const char* name; std::string line, expected; } kCases[] = {
      {"a real line: Ceres, 2023-02-25", ceres,
       record("    1 ", "Ceres",
              " 2460000.500  10.586340  80.260130  73.470450    2.76718170 0.07881750  17.215690  3.33")},
      {"five digits", MpcorbLine(Numbered(99999, "Eros")), record("99999 ", "Eros", tail)},
      {"A0000: 100000", MpcorbLine(Numbered(100000, "Eros")), record("100000 ", "Eros", tail)},
      {"z9999: 619999", MpcorbLine(Numbered(619999, "Eros")), record("619999 ", "Eros", tail)},
      {"~0000: 620000", MpcorbLine(Numbered(620000, "Eros")), record("620000 ", "Eros", tail)},
      {"~000z: 620061", with(Numbered(0, "Eros"), [](Orbit& o) { o.packed = "~000z"; o.number = 620061; }),
       record("620061 ", "Eros", tail)},
      {"~zzzz, the largest: 15396335", with(Numbered(0, "Eros"), [](Orbit& o) { o.packed = "~zzzz"; }),
       record("15396335 ", "Eros", tail)},
      {"unnumbered: six blanks, the designation as name", MpcorbLine(yr4), record("      ", "2024 YR4", tail)},
      {"numbered without a name: the designation", MpcorbLine(Numbered(3708, "1974 FV1")),
       record(" 3708 ", "1974 FV1", tail)},
      {"a name of 18 characters", MpcorbLine(Numbered(5, "Abcdefghijklmnopqr")),
       record("    5 ", "Abcdefghijklmnopqr", tail)},
      {"a longer name is cut to 18", MpcorbLine(Numbered(5, "Abcdefghijklmnopqrstu")),
       record("    5 ", "Abcdefghijklmnopqr", tail)},
      {"a name with one blank", MpcorbLine(Numbered(4179, "van Gogh")), record(" 4179 ", "van Gogh", tail)},
      {"a blank H is 0", with(Numbered(433, "Eros"), [](Orbit& o) { o.h = "     "; }),
       record("  433 ", "Eros", tail.substr(0, tail.size() - 6) + "  0.00")},
      {"a number with something in columns 6-7 is none", eros.substr(0, 5) + "X" + eros.substr(6),
       record("      ", "Eros", tail)},
      {"a number that is not packed is none", "0043!" + eros.substr(5), record("      ", "Eros", tail)},
      {"a line cut before the designation: no name", eros.substr(0, 150), record("  433 ", "", tail)},
      {"a NUL byte ends the designation", eros.substr(0, 177) + '\0' + eros.substr(178), record("  433 ", "Er", tail)},
      {"a NUL byte ends a number", eros.substr(0, 31) + '\0' + eros.substr(32),
       record("  433 ", "Eros", tail.substr(0, tail.size() - 17) + " 188.700000  9.50")},
      {"every field at its whole width",
       with(Numbered(433, "Eros"), [](Orbit& o) { o.h = "-1.25"; o.m = 359.99999; o.perihelion = 0.00001;
                                                  o.node = 123.45678; o.i = 179.99999; o.e = 0.9999999;
                                                  o.a = 999.9999999; }),
       record("  433 ", "Eros",
              " 2460800.500 179.999990 123.456780   0.000010  999.99999990 0.99999990 359.999990 -1.25")},
  };
  for (const auto& c : kCases) {
    std::string got;
    AppendMpcorbRecord(c.line, got);
    EXPECT_EQ(got, c.expected) << c.name << "\n  Expected: " << c.expected << "\n  Got:      " << got;
  }
  EXPECT_EQ(ReadMpcorbOrbit(MpcorbLine(Numbered(433, "Eros"))).g, 0.15);
  EXPECT_EQ(ReadMpcorbOrbit(with(Numbered(433, "Eros"), [](Orbit& o) { o.g = "     "; })).g, 0.15);
  EXPECT_EQ(ReadMpcorbOrbit(with(Numbered(433, "Eros"), [](Orbit& o) { o.g = "-0.25"; })).g, -0.25);
}

// Packed epochs: each century letter, each month and day character, and what is none.
TEST(MpcorbLineTest, UnpacksEpochs) {
  const struct { const char* packed; const char* expected; } kCases[] = {
      {"I9911", "1899-01-01"}, {"J0019", "1900-01-09"}, {"K259A", "2025-09-10"}, {"K24C1", "2024-12-01"},
      {"K21AV", "2021-10-31"}, {"K26BF", "2026-11-15"}, {"J9651", "1996-05-01"}, {"K0011", "2000-01-01"},
      {"L0011", "none"},       {"H9911", "none"},       {"K2501", "none"},       {"K25D1", "none"},
      {"K2510", "none"},       {"K251W", "none"},       {"K2a11", "none"},       {"K251", "none"},
  };
  for (const auto& c : kCases) {
    int year = 0, month = 0, day = 0;
    char got[16] = "none";
    if (UnpackEpoch(c.packed, year, month, day)) std::snprintf(got, sizeof got, "%04d-%02d-%02d", year, month, day);
    EXPECT_STREQ(got, c.expected) << c.packed;
  }
}

// Which lines of a source are its entries, and its Total, for each kind of text; an ASTORB source is read as
// it always was (every line an entry, the Total its line breaks).
TEST(MpcorbSourceTest, TellsTheFormatAndTheEntries) {
  const std::string ceres = MpcorbLine(Numbered(1, "Ceres")) + "\n";
  const std::string pallas = MpcorbLine(Numbered(2, "Pallas")) + "\n";
  const std::string yr4 = MpcorbLine(Orbit{0, "K24Y04R", "2024 YR4"}) + "\n";
  const std::string astorb = ReadFile(SampleFile("astorb-current-sample.dat"));
  const std::string dashes = std::string(10, '-');
  const struct { const char* name; std::string text; SourceFormat format; std::int64_t total; std::string numbers; }
      kCases[] = {
          {"MPCORB.DAT: header, sections apart", kHeader + ceres + pallas + "\n" + yr4, SourceFormat::kMpcorb, 3,
           "1 2 -"},
          {"a subset file: orbit lines only", yr4 + ceres, SourceFormat::kMpcorb, 2, "- 1"},
          {"CR LF line ends", "\r\n" + ceres.substr(0, 202) + "\r\n" + pallas, SourceFormat::kMpcorb, 2, "1 2"},
          {"blank lines before the first orbit line", "\n  \n" + pallas, SourceFormat::kMpcorb, 1, "2"},
          {"a header of ten dashes", "free text\n" + dashes + "\n\n" + pallas, SourceFormat::kMpcorb, 1, "2"},
          {"dashes with blanks behind them", "free text\n" + dashes + "  \n" + pallas, SourceFormat::kMpcorb, 1, "2"},
          {"an odd line is passed over", ceres + "not an orbit line\n" + pallas, SourceFormat::kMpcorb, 2, "1 2"},
          {"an orbit line cut before a is passed over", ceres + pallas.substr(0, 102) + "\n" + yr4,
           SourceFormat::kMpcorb, 2, "1 -"},
          {"a last orbit line without a line break is an entry", ceres + pallas.substr(0, 202), SourceFormat::kMpcorb,
           2, "1 2"},
          {"nine dashes end no header: ASTORB", "free text\n" + std::string(9, '-') + "\n" + pallas,
           SourceFormat::kAstorb, 3, "- - 2"},
          {"dashes followed by no orbit line: ASTORB", "free text\n" + dashes + "\nmore text\n" + pallas,
           SourceFormat::kAstorb, 4, "- - - 2"},
          {"a header without dashes: ASTORB", "free text\n" + pallas, SourceFormat::kAstorb, 2, "- 2"},
          {"ASTORB lines", astorb, SourceFormat::kAstorb, 6, "1 153 1 1 1 -"},
          {"ASTORB after a blank line", "\n" + astorb.substr(0, 268), SourceFormat::kAstorb, 2, "- 1"},
          {"ASTORB, then an orbit line", astorb.substr(0, 268) + ceres, SourceFormat::kAstorb, 2, "1 1"},
          {"empty", "", SourceFormat::kAstorb, 0, ""},
      };
  const testing::ScratchDir dir;
  const std::string source = dir / "source", output = dir / "out.slc";
  for (const auto& c : kCases) {
    EXPECT_EQ(FormatOf(c.text), c.format) << c.name;
    WriteFile(source, c.text);
    std::int64_t total = -1;
    EXPECT_TRUE(CountEntries(source, total).ok()) << c.name;
    EXPECT_EQ(total, c.total) << c.name;
    // The numbers of the records a run of every entry writes ("-": none).
    FakeServices services;
    CCatalog catalog(services, dir.path());
    catalog.m_strFilter = "1-100";
    catalog.m_strSourcePath = source;
    catalog.m_strOutputPath = output;
    catalog.OnStart();
    std::string numbers;
    const std::string records = ReadFile(output);
    for (std::size_t at = 0; at < records.size();) {
      const std::size_t digits = records.find_first_not_of(' ', at);
      const std::string number = records.substr(digits, records.find(' ', digits) - digits);
      numbers += (at == 0 ? "" : " ") + (digits >= at + 6 ? "-" : number);
      const std::size_t next = records.find("\r\n", at);
      at = next == std::string::npos ? records.size() : next + 2;
    }
    EXPECT_EQ(numbers, c.numbers) << c.name;
  }
}

// The same orbits written as ASTORB lines and as MPCORB lines (a header, sections apart, plain and compressed):
// the same Total, and byte-identical catalogs for every filter, by Start and by orbivane-cli select.
TEST(MpcorbSourceTest, TheSameOrbitsAsAstorbAndAsMpcorbGiveTheSameCatalogs) {
  std::mt19937 random(20261208);
  const auto uniform = [&random](double from, double to) {
    return std::uniform_real_distribution<double>(from, to)(random);
  };
  const char* const kNames[] = {"Ceres", "van Gogh", "Abcdefghijklmnopqr", "1974 FV1", "2024 YR4", "O'Keefe"};
  std::string astorb, mpcorb = kHeader;
  const int kOrbits = 400;
  for (int k = 1; k <= kOrbits; ++k) {
    // Numbers of every packed form and none; names of every kind; fields at five and seven decimals.
    const long long number = k % 7 == 0 ? 0 : k < 100 ? k : k < 200 ? 100000 + k * 2593 : 619990 + (k - 200) * 1900;
    Orbit o{number, number > 0 ? Packed(number) : "K24Y04R", kNames[k % 6]};
    char h[8];
    std::snprintf(h, sizeof h, "%5.2f", uniform(3, 22));
    o.h = h;
    if (k % 11 == 0) o.g = "     ";
    if (k % 13 == 0) o.h = "     ";
    o.year = 1990 + k % 40;
    o.month = 1 + k % 12;
    o.day = 1 + k % 28;
    o.m = std::round(uniform(0, 360) * 1e5) / 1e5;
    o.perihelion = std::round(uniform(0, 360) * 1e5) / 1e5;
    o.node = std::round(uniform(0, 360) * 1e5) / 1e5;
    o.i = std::round(uniform(0, 40) * 1e5) / 1e5;
    o.e = std::round(uniform(0, 0.99) * 1e7) / 1e7;
    o.a = std::round(uniform(0.6, 60) * 1e7) / 1e7;
    astorb += AstorbLine(o) + "\n";
    mpcorb += MpcorbLine(o) + (k == 150 ? "\n\n" : "\n");
  }
  const testing::ScratchDir dir;
  WriteFile(dir / "astorb.dat", astorb);
  WriteFile(dir / "MPCORB.DAT", mpcorb);
  WriteFile(dir / "MPCORB.DAT.gz", testing::Gzip(mpcorb));
  const auto run = [&dir](const std::string& source, const std::string& filter) {
    FakeServices services;
    CCatalog catalog(services, dir.path());
    catalog.m_strFilter = filter;
    catalog.m_strSourcePath = dir / source;
    catalog.m_strOutputPath = dir / "out.slc";
    EXPECT_EQ(catalog.OnStart().result, StartResult::kConverted) << source << " " << filter;
    EXPECT_TRUE(catalog.CountSourceRecords().ok());
    return std::to_string(catalog.m_nTotal) + " entries\n" + ReadFile(dir / "out.slc");
  };
  for (const char* filter : {"1-400", "1", "7", "150-151, 399-1000", "2-3, 100-105, 200", "401"}) {
    const std::string expected = run("astorb.dat", filter);
    EXPECT_EQ(expected.substr(0, 12), "400 entries\n") << filter;
    for (const char* source : {"MPCORB.DAT", "MPCORB.DAT.gz"}) {
      const std::string got = run(source, filter);
      // The first record that differs, whole.
      const std::size_t differs = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first -
                                  got.begin();
      const std::size_t from = got.rfind('\n', differs) + 1;
      EXPECT_TRUE(got == expected) << source << ", filter " << filter << "\n  Expected: "
                                   << expected.substr(from, 120) << "\n  Got:      " << got.substr(from, 120);
    }
  }
  // orbivane-cli counts either from its standard input; damage is named at the line of the file it lies in: the
  // header's 6 lines, 150 orbit lines, the blank one, one more, and the line cut short.
  const auto count = [&dir](const std::string& source) {
    const testing::Result r = testing::RunProgram(ORBIVANE_CLI, dir.path(), {"count", "--source", "-"}, dir / source);
    return std::to_string(r.status) + " " + r.out + r.err;
  };
  EXPECT_EQ(count("MPCORB.DAT.gz"), "0 400\n");
  const std::string compressed = testing::Gzip(mpcorb, 0);
  WriteFile(dir / "cut.gz", compressed.substr(0, compressed.size() - 8 - 203 * 250));
  EXPECT_EQ(count("cut.gz"),
            "1 Cannot read source catalog \"-\": Compressed data damaged at line 159 (the file ends too soon)\n");

  // The selection reads either source alike: brightness, H, class and names.
  const auto select = [&dir](const std::string& source) {
    const testing::Result r = testing::RunProgram(ORBIVANE_CLI, dir.path(), {"select", "--source", source,
        "--output", "sel.slc", "--brighter-than", "17", "--from", "2026-01-01", "--to", "2026-03-01", "--h-max", "16",
        "--class", "main,neo,outer-main,hilda", "--names", "Ceres, van Gogh, 2024 yr4, 53, 488950, 714990, 5"});
    return r.out + r.err + ReadFile(dir / "sel.slc");
  };
  const std::string selected = select("astorb.dat");
  EXPECT_NE(selected.find("Wrote "), std::string::npos) << selected;
  EXPECT_EQ(select("MPCORB.DAT"), selected);
}

}  // namespace
}  // namespace orbivane
