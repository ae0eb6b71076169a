// The program's own images: the dialog background (IDB_BACKGROUND) and the
// icon (IDR_MAINFRAME), loaded from the bytes compiled into the program.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace orbivane {

// A new bitmap of the 134 x 100 background each call.
wxBitmap LoadBackgroundBitmap();

// The icon in its four sizes, 16, 32, 48 and 64 pixels (the two larger for
// displays of 150% and 200%).
wxIconBundle LoadAppIcons();
// The largest image of at most `size` pixels (the smallest if none is).
wxBitmap LoadAppIconBitmap(int size);

}  // namespace orbivane
