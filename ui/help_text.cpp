#include "help_text.h"

#include "web_addresses.h"

namespace orbivane {

const std::string_view kHelpLines[kHelpLineCount] = {
    "",
    "Orbivane Help",
    "",
    "The following paragraphs will help you to make asteroid catalogs for Skyloom 3.x.",
    "",
    "The main source for asteroid data of Skyloom is ASTORB orbit catalog downloaded from the Internet. "
    "The ASTORB catalog is produced and maintained at Lowell Observatory in Flagstaff, Arizona. "
    "ASTORB contains orbit data for all known asteroids and is updated daily! "
    "The latest version of the catalog can be downloaded from " ORBIVANE_ASTORB_DOWNLOAD_URL ".",
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

std::string HelpText() {
  std::string text;
  for (int i = 0; i < kHelpLineCount; ++i) {
    if (i != 0) text += "\r\n";
    text += kHelpLines[i];
  }
  return text;
}

std::string HelpTextForDisplay(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    shown += text[i];
  }
  return shown;
}

}  // namespace orbivane
