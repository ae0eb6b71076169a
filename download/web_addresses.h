// The web pages the program opens, the ASTORB download address that the
// Help text names and the downloader fetches, and MPCORB's. Change them here only. No wx
// header: the window, the downloader and orbivane-cli all read this.
#pragma once

namespace orbivane {

// The makers' page that offers ready-made Skyloom catalogs.
inline constexpr const char* kCompiledCatalogsUrl = "https://orbivane.example/asteroids.htm";

// The documentation page of the ASTORB catalog at Lowell Observatory.
inline constexpr const char* kAstorbDocumentationUrl = "https://asteroid.lowell.edu/astorb/";
// The compressed catalog itself, which the Help text names. Browsers no
// longer open ftp:// addresses; the same host serves the file over HTTPS.
#define ORBIVANE_ASTORB_DOWNLOAD_URL "https://ftp.lowell.edu/pub/elgb/astorb.dat.gz"
inline constexpr const char* kAstorbDownloadUrl = ORBIVANE_ASTORB_DOWNLOAD_URL;

// The Minor Planet Center's orbit catalog in its export format, compressed:
// the other source the downloader fetches.
#define ORBIVANE_MPCORB_DOWNLOAD_URL "https://minorplanetcenter.net/iau/MPCORB/MPCORB.DAT.gz"
inline constexpr const char* kMpcorbDownloadUrl = ORBIVANE_MPCORB_DOWNLOAD_URL;

}  // namespace orbivane
