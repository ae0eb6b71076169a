// The window's side of a damaged compressed source: the Total up to the
// damage, and a message saying where it lies.
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "resource_ids.h"

namespace orbivane::testing {
namespace {

TEST_F(MainWindowTest, ADamagedCompressedSourceShowsItsCountAndSaysWhere) {
  // "a\nb\nc\n" compressed, without its 8-byte trailer.
  const std::string cut("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x4b\xe4\x4a\xe2\x4a\xe6\x02\x00", 18);
  WriteFile(Path("astorb.dat.gz"), cut);
  ShownFileDialog shown;
  std::vector<ShownMessage> seen;
  wxTEST_DIALOG(Click(&Window(), IDC_BROWSE_SOURCE), ExpectFile(shown, Path("astorb.dat.gz")), ExpectMessage(seen));
  EXPECT_EQ(TextOf(IDC_TOTAL), "3 ");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "Cannot read source catalog \"" + Path("astorb.dat.gz") +
                              "\": Compressed data damaged at line 4 (the file ends too soon)");
}

}  // namespace
}  // namespace orbivane::testing
