// The program's own images: the dialog background (IDB_BACKGROUND) and the
// icon (IDR_MAINFRAME), loaded from the bytes compiled into the program.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

namespace orbivane {

// A new bitmap of the 134 x 100 background each call.
wxBitmap LoadBackgroundBitmap();

// The icon's sizes: 16 and 32 pixels, and 48 and 64 for displays of 150% and 200%.
inline constexpr int kAppIconSizes[] = {16, 32, 48, 64};
wxIconBundle LoadAppIcons();
// The image of one of those sizes.
wxBitmap LoadAppIconBitmap(int size);
// The 32-pixel icon with its 48 and 64 pixel images, so that a control shows
// the one drawn for its monitor's DPI.
wxBitmapBundle LoadAppIconBundle();

}  // namespace orbivane
