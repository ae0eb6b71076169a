// The filter up to the first LF and the source after it, through the whole Start command on real files.
// The filter's rules are modelled here apart from its code, so that a fault in them shows: the catalog
// holds the records of exactly the lines the model selects, as text-mode reading gives them, joined by
// CR LF; the history one record of that count; and a text refused or without a range writes nothing.
#undef NDEBUG
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "astorb_record.h"
#include "catalog.h"
#include "mpcorb_line.h"
#include "source_lines.h"
#include "test_files.h"

using Ranges = std::vector<std::pair<long long, long long>>;

// Refuses other characters than digits, blanks, commas and minus signs, numbers above 2147483647 and more
// than 1000 ranges; each token between commas gives the range of its first to its last number, if in order.
static bool Model(std::string text, Ranges& ranges) {
  if (text.find_first_not_of("0123456789 ,-") != std::string::npos) return false;
  std::replace(text.begin(), text.end(), '-', ' ');
  std::istringstream tokens(text);
  for (std::string token; std::getline(tokens, token, ',');) {
    std::istringstream words(token);
    std::vector<long long> numbers;
    for (std::string word; words >> word;) {
      word.erase(0, std::min(word.find_first_not_of('0'), word.size() - 1));
      if (word.size() > 10 || std::stoll(word) > INT32_MAX) return false;
      numbers.push_back(std::stoll(word));
    }
    if (!numbers.empty() && numbers.front() <= numbers.back()) ranges.emplace_back(numbers.front(), numbers.back());
  }
  return ranges.size() <= 1000;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string filter = input.substr(0, input.find('\n'));
  const std::string source = input.substr(std::min(size, filter.size() + 1));
  const orbivane::testing::ScratchDir dir;
  orbivane::testing::WriteFile(dir / "astorb.dat", source);
  orbivane::testing::FakeServices services;
  orbivane::CCatalog catalog(services, dir.path());
  catalog.m_strFilter = filter;
  catalog.m_strSourcePath = dir / "astorb.dat";
  catalog.m_strOutputPath = dir / "out.slc";
  const orbivane::StartOutcome outcome = catalog.OnStart();

  Ranges ranges;
  const bool accepted = Model(filter, ranges);
  if (ranges.empty() || !accepted) {
    assert(outcome.result != orbivane::StartResult::kConverted && services.messages.size() == !accepted);
    assert(orbivane::testing::ListDir(dir.path()) == "astorb.dat");
    return 0;
  }
  if (source.size() >= 2 && source[0] == '\x1f' && source[1] == '\x8b') {
    // A compressed source: a run that reaches damage is refused, naming the file, and leaves nothing; a run
    // that converts records what it wrote.
    if (outcome.result == orbivane::StartResult::kRunRefused) {
      const std::string damaged = "Cannot read source catalog \"" + catalog.m_strSourcePath + "\": Compressed data";
      assert(services.messages.size() == 1 && services.messages[0].rfind(damaged, 0) == 0);
      assert(orbivane::testing::ListDir(dir.path()) == "astorb.dat");
      return 0;
    }
    assert(outcome.result == orbivane::StartResult::kConverted);
    assert(services.rows.size() == 1 && services.rows[0][3] == std::to_string(outcome.records));
    return 0;
  }
  // An MPCORB source's entries are its orbit lines, an ASTORB source's every line.
  const orbivane::SourceFormat format = orbivane::FormatOf(source.substr(0, orbivane::kFormatHeadBytes));
  std::istringstream lines(source);
  std::string expected;
  std::string line;
  int records = 0;
  for (long long n = 1; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r' && !lines.eof()) line.pop_back();
    if (format == orbivane::SourceFormat::kMpcorb && !orbivane::IsMpcorbLine(line.substr(0, 999))) continue;
    const auto holds = [](long long n) {
      return [n](const auto& range) { return range.first <= n && n <= range.second; };
    };
    if (std::none_of(ranges.begin(), ranges.end(), holds(n++))) continue;
    if (records++ > 0) expected += "\r\n";
    orbivane::AppendCatalogRecord(format, line.substr(0, 999), expected);
  }
  assert(outcome.result == orbivane::StartResult::kConverted && outcome.records == records);
  assert(orbivane::testing::ReadFile(dir / "out.slc") == expected);
  assert(orbivane::testing::ListDir(dir.path()) == "astorb.dat history out.slc");
  assert(services.rows.size() == 1 && services.rows[0][2] == filter.substr(0, 299));
  assert(services.rows[0][3] == std::to_string(records));
  for (int pos : services.positions) assert(pos >= 0 && pos <= services.upper);
  return 0;
}
