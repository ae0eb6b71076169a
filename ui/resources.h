// The program's own images: the dialog background (IDB_BACKGROUND) and the
// icon (IDR_MAINFRAME), loaded from the bytes compiled into the program.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace orbivane {

// A new bitmap of the 134 x 100 background each call.
wxBitmap LoadBackgroundBitmap();

// The icon in its two sizes, 16 and 32 pixels.
wxIconBundle LoadAppIcons();
wxBitmap LoadAppIconBitmap(int size);

}  // namespace orbivane
