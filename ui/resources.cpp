#include "resources.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include "embedded_resources.h"

namespace orbivane {

wxBitmap LoadBackgroundBitmap() {
  wxMemoryInputStream stream(embedded::background_bmp, embedded::background_bmp_size);
  wxImage image(stream, wxBITMAP_TYPE_BMP);
  return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

wxBitmap LoadAppIconBitmap(int size) {
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  if (size <= 16) return wxBitmap::NewFromPNGData(embedded::icon16_png, embedded::icon16_png_size);
  return wxBitmap::NewFromPNGData(embedded::icon32_png, embedded::icon32_png_size);
}

wxIconBundle LoadAppIcons() {
  wxIconBundle icons;
  for (const int size : {16, 32}) {
    wxIcon icon;
    icon.CopyFromBitmap(LoadAppIconBitmap(size));
    if (icon.IsOk()) icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace orbivane
