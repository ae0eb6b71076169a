// Compressed sources: the Total and Start on gzip files, whole, joined and
// damaged, against the same runs on the text they hold.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "catalog_run_fixture.h"

namespace orbivane {
namespace {

using testing::NumberedSource;
using testing::ReadFile;
using testing::WriteFile;

// One gzip member of `text`; level 0 stores it, so a cut or a changed byte
// lands at a known place in the text.
std::string Gzip(const std::string& text, int level = 6) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Flipped(std::string bytes, std::size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  return bytes;
}

const std::string kText = NumberedSource(250);  // 268 bytes a line
const std::string kGz = Gzip(kText);
const std::string kStored = Gzip(kText, 0);  // 10 bytes of header and 5 of block header before the text
const std::string kEndsEarly = " (the file ends too soon)";

class GzipSourceTest : public testing::CatalogRunTest {};

TEST_F(GzipSourceTest, ReadsTheTextOrRefusesSayingWhere) {
  const struct {
    const char* name;
    std::string bytes;
    std::string text;     // what the run must give the same catalog as
    const char* total;
    std::string damage;   // after "Compressed data damaged at line "; empty when the file reads whole
    const char* filter;
    bool converts;        // when the file is damaged: whether the run stops before the damage
  } kCases[] = {
      {"one member", kGz, kText, "250 ", "", "1-300", true},
      {"several members, one empty, a line split between two",
       Gzip(kText.substr(0, 30000)) + Gzip("") + Gzip(kText.substr(30000)), kText, "250 ", "", "1-300", true},
      {"empty member", Gzip(""), "", "0 ", "", "1-5", true},
      {"cut in the header", kGz.substr(0, 5), "", "0 ", "1" + kEndsEarly, "1-5", false},
      {"cut in the data, run stops before it", kStored.substr(0, 10000), kText, "37 ", "38" + kEndsEarly, "1-10", true},
      {"cut in the data, run reaches it", kStored.substr(0, 10000), kText, "37 ", "38" + kEndsEarly, "1-40", false},
      {"cut before the trailer", kGz.substr(0, kGz.size() - 8), kText, "250 ", "251" + kEndsEarly, "1-300", false},
      {"cut in the trailer", kGz.substr(0, kGz.size() - 3), kText, "250 ", "251" + kEndsEarly, "1-300", false},
      {"flipped data byte", Flipped(kStored, 16), kText, "250 ", "251", "1-300", false},
      {"bad CRC", Flipped(kGz, kGz.size() - 8), kText, "250 ", "251", "1-300", false},
      {"bad length", Flipped(kGz, kGz.size() - 4), kText, "250 ", "251", "1-300", false},
      {"bad header: method 9", Flipped(kGz, 2), kText, "0 ", "1", "1-300", false},
      {"bad block type", kGz.substr(0, 10) + "\x07", kText, "0 ", "1", "1-300", false},
      {"member followed by other bytes", kGz + "no gzip member here", kText, "250 ", "251", "1-300", false},
      {"not gzip at all", kText, kText, "250 ", "", "1-300", true},
  };
  const std::string source = dir_ / "source";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string message =
        c.damage.empty() ? "" : "Cannot read source catalog \"" + source + "\": Compressed data damaged at line " +
                                    c.damage;
    // The catalog of the same run on the text.
    WriteFile(source, c.text);
    ASSERT_EQ(Start(c.filter, source, dir_ / "expected.slc").result, StartResult::kConverted);
    const std::string expected = ReadFile(dir_ / "expected.slc");
    std::remove((dir_ / "history").c_str());

    WriteFile(source, c.bytes);
    catalog_.m_strSourcePath = source;
    EXPECT_EQ(catalog_.CountSourceRecords().message(), message);
    EXPECT_EQ(catalog_.m_strTotal, c.total);

    WriteFile(dir_ / "out.slc", "previous catalog");
    const StartOutcome outcome = Start(c.filter, source, dir_ / "out.slc");
    if (c.converts) {
      EXPECT_EQ(outcome.result, StartResult::kConverted);
      EXPECT_TRUE(services_.messages.empty());
      EXPECT_TRUE(Output() == expected) << "the catalog differs from the run on the text";
      EXPECT_EQ(History().size(), 1u);
    } else {
      EXPECT_EQ(outcome.result, StartResult::kRunRefused);
      EXPECT_EQ(services_.messages, std::vector<std::string>{message});
      EXPECT_EQ(Output(), "previous catalog");
      EXPECT_TRUE(History().empty());
    }
    std::remove((dir_ / "history").c_str());
  }
}

}  // namespace
}  // namespace orbivane
