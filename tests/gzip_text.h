// Compressed sources for the tests, made with zlib (link ZLIB::ZLIB).
#pragma once

#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

namespace orbivane::testing {

// One gzip member of `text`; level 0 stores it, so that a cut or a changed byte lands at a known place in the text.
inline std::string Gzip(const std::string& text, int level = 6) {
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

}  // namespace orbivane::testing
