// The program's images as shipped: the background bitmap's stored form and
// the icon's two sizes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "embedded_resources.h"
#include "resources.h"

namespace orbivane {
namespace {

std::uint32_t U32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

TEST(BackgroundBitmapTest, IsA134By100TwentyFourBitBottomUpDib) {
  const unsigned char* file = embedded::background_bmp;
  ASSERT_EQ(embedded::background_bmp_size, 14u + 40440u) << "file header + the 40440-byte bitmap";
  EXPECT_EQ(std::memcmp(file, "BM", 2), 0);
  EXPECT_EQ(U32(file + 10), 54u) << "pixels follow the headers directly: no colour table";
  const unsigned char* info = file + 14;
  struct Field {
    const char* name;
    std::uint32_t got;
    std::uint32_t expected;
  };
  const Field fields[] = {
      {"header size", U32(info + 0), 40},       {"width", U32(info + 4), 134},
      {"height (positive: bottom-up)", U32(info + 8), 100}, {"planes", U16(info + 12), 1},
      {"bits per pixel", U16(info + 14), 24},   {"compression BI_RGB", U32(info + 16), 0},
      {"image size", U32(info + 20), 40400},    {"x pixels per metre", U32(info + 24), 3780},
      {"y pixels per metre", U32(info + 28), 3780}, {"colours used", U32(info + 32), 0},
      {"colours important", U32(info + 36), 0},
  };
  for (const Field& f : fields) EXPECT_EQ(f.got, f.expected) << f.name;
}

TEST(BackgroundBitmapTest, RowsArePaddedWithZerosToFourBytes) {
  const unsigned char* pixels = embedded::background_bmp + 54;
  for (int row = 0; row < 100; ++row) {
    EXPECT_EQ(pixels[row * 404 + 402], 0) << "row " << row;
    EXPECT_EQ(pixels[row * 404 + 403], 0) << "row " << row;
  }
}

TEST(BackgroundBitmapTest, LoadsAsA134By100Bitmap) {
  const wxBitmap bitmap = LoadBackgroundBitmap();
  ASSERT_TRUE(bitmap.IsOk());
  EXPECT_EQ(bitmap.GetWidth(), 134);
  EXPECT_EQ(bitmap.GetHeight(), 100);
}

TEST(AppIconTest, HasA16And32PixelImage) {
  const wxIconBundle icons = LoadAppIcons();
  ASSERT_EQ(icons.GetIconCount(), 2u);
  EXPECT_EQ(icons.GetIconByIndex(0).GetWidth(), 16);
  EXPECT_EQ(icons.GetIconByIndex(1).GetWidth(), 32);
  EXPECT_EQ(LoadAppIconBitmap(32).GetHeight(), 32);
}

}  // namespace
}  // namespace orbivane
