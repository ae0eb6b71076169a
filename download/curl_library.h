// libcurl is loaded when the first download starts, not when the program
// starts (curl_library.cpp).
#pragma once

namespace orbivane {

// Why libcurl could not be loaded, or nullptr once it is loaded. Loads it on
// the first call; safe from any thread.
const char* CurlLoadFailure();

}  // namespace orbivane
