// The Help text: its sixteen lines, CR LF between them, none at the ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help_text.h"
#include "web_addresses.h"

namespace orbivane {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(HelpTextTest, IsTheSixteenLinesJoinedWithCrLf) {
  const std::vector<std::string> expected = {
      "",
      "Orbivane Help",
      "",
      "The following paragraphs will help you to make asteroid catalogs for Skyloom 3.x.",
      "",
      "The main source for asteroid data of Skyloom is ASTORB orbit catalog downloaded from the Internet. "
      "The ASTORB catalog is produced and maintained at Lowell Observatory in Flagstaff, Arizona. "
      "ASTORB contains orbit data for all known asteroids and is updated daily! "
      "The latest version of the catalog can be obtained by anonymous FTP from "
      "ftp://ftp.lowell.edu/pub/elgb/astorb.dat.gz.",
      "",
      "SOURCE CATALOG SECTION",
      "This catalog can only be the original astorb.dat file.",
      "After downloading the compressed file astorb.dat.gz you must uncompress it and produce astorb.dat. "
      "Choose it as SOURCE CATALOG. After that the TOTAL field will show you current known asteroids number.",
      "",
      "NEW SKYLOOM CATALOG SECTION",
      "FILTER string assigns asteroids from astorb.dat which must be added to the new Skyloom catalog. "
      "The string can contain multiple entry selections or/and single entry selections separated by commas; "
      "Example: \"1-1000, 1001, 1002, 1003, 1004-5000\". The number of selected entries can't be more than 30000.",
      "Assign file name for the new catalog and click on START button.",
      "",
      "Every successful compilation is written in history list. "
      "You can clear history (by CLEAR HISTORY button) at any time.",
  };
  const std::string text = HelpText();
  EXPECT_EQ(text.substr(0, 2), "\r\n") << "the text begins with a line break";
  EXPECT_NE(text.substr(text.size() - 2), "\r\n") << "the text ends without one";
  const std::vector<std::string> got = SplitCrLf(text);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "line " << i + 1;
  EXPECT_EQ(text.find('\n', 0) , 1u);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    EXPECT_EQ(text[at - 1], '\r') << "every LF follows a CR, at " << at;
  }
}

TEST(HelpTextTest, LineSixNamesTheDownloadAddressOfTheCompressedCatalog) {
  EXPECT_EQ(std::string(kAstorbDownloadUrl), "ftp://ftp.lowell.edu/pub/elgb/astorb.dat.gz");
  const std::string line6(kHelpLines[5]);
  EXPECT_EQ(line6.substr(line6.size() - std::string(kAstorbDownloadUrl).size() - 1),
            std::string(kAstorbDownloadUrl) + ".");
}

TEST(HelpTextTest, DisplayFormKeepsEveryCharacterButTheCrOfEachCrLf) {
  EXPECT_EQ(HelpTextForDisplay("\r\nA\r\n\r\nB\rC"), "\nA\n\nB\rC");
}

}  // namespace
}  // namespace orbivane
