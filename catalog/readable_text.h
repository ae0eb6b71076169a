// Text of unknown encoding made fit to show. The history slots hold single-byte
// text: UTF-8 from this program, but the Windows code page from its earlier
// Windows releases, and a path on Linux may hold any bytes. A window takes only
// UTF-8 and shows nothing for the rest.
#pragma once

#include <string>
#include <string_view>

namespace orbivane {

// The text with its valid UTF-8 as it is and every other byte read as
// Windows-1252 (whose five unassigned bytes stand for the control characters
// of their number, as Windows reads them), in UTF-8.
std::string ReadableUtf8(std::string_view text);

}  // namespace orbivane
