// Source bytes through the line reader and the line count. The reader must
// give the lines of text-mode reading (CR before LF dropped, at most 999
// characters, one line per LF), and the count the number of LFs. The first
// two input bytes choose how much filler goes first, so that the input's
// lines cross the reader's 128 KiB buffer at every offset.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "line_reader.h"
#include "os_file.h"
#include "source_count.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string source;
  const std::size_t shift = (data[0] | (data[1] << 8)) % 4096;
  if ((data[0] & 1) != 0) {
    // Filler lines of 80 characters up to 128 KiB - shift.
    const std::size_t fill = 128 * 1024 - shift;
    while (source.size() + 81 <= fill) source += std::string(80, 'f') + "\n";
    source += std::string(fill - source.size(), 'g');
  }
  source.append(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (source.size() >= 2 && source[0] == '\x1f' && source[1] == '\x8b') return 0;  // compressed: fuzz_conversion

  std::vector<std::string_view> expected;
  for (std::size_t at = 0; at < source.size();) {
    const std::size_t lf = source.find('\n', at);
    std::string_view line = std::string_view(source).substr(at, lf == std::string::npos ? std::string::npos : lf - at);
    if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    expected.push_back(line.substr(0, orbivane::kMaxLineLength));
    if (lf == std::string::npos) break;
    at = lf + 1;
  }

  const std::string path = orbivane::fuzz::ScratchFolder() + "/source";
  orbivane::fuzz::WriteBytes(path, source);
  orbivane::OsFile file;
  FUZZ_CHECK(file.OpenForReading(path) == 0, "open");
  const auto reader = std::make_unique<orbivane::LineReader>(file);  // 129 KiB: kept off the stack
  std::string_view line;
  std::size_t count = 0;
  while (reader->Next(line)) {
    FUZZ_CHECK(count < expected.size(), "more lines than expected");
    FUZZ_CHECK(line == expected[count], "line %zu differs", count);
    ++count;
  }
  FUZZ_CHECK(reader->error() == 0, "read error");
  FUZZ_CHECK(count == expected.size(), "%zu lines, expected %zu", count, expected.size());

  std::int64_t breaks = -1;
  FUZZ_CHECK(orbivane::CountLineBreaks(path, breaks).ok(), "count failed");
  std::int64_t lfs = 0;
  for (char c : source) lfs += c == '\n';
  FUZZ_CHECK(breaks == lfs, "count %lld, expected %lld", static_cast<long long>(breaks), static_cast<long long>(lfs));
  return 0;
}
