// The web pages the program opens, and the ASTORB download address that the
// Help text names. Change them here only.
#pragma once

namespace orbivane {

// The makers' page that offers ready-made Skyloom catalogs.
inline constexpr const char* kCompiledCatalogsUrl = "https://orbivane.example/asteroids.htm";

// Lowell Observatory's anonymous-FTP directory of the ASTORB catalog.
#define ORBIVANE_ASTORB_FTP_DIRECTORY "ftp://ftp.lowell.edu/pub/elgb/"
// The documentation page of the catalog, in that directory.
inline constexpr const char* kAstorbDocumentationUrl = ORBIVANE_ASTORB_FTP_DIRECTORY "astorb.html";
// The compressed catalog itself.
inline constexpr const char* kAstorbDownloadUrl = ORBIVANE_ASTORB_FTP_DIRECTORY "astorb.dat.gz";

}  // namespace orbivane
