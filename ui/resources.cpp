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
  switch (size) {
    case 16: return wxBitmap::NewFromPNGData(embedded::icon16_png, embedded::icon16_png_size);
    case 32: return wxBitmap::NewFromPNGData(embedded::icon32_png, embedded::icon32_png_size);
    case 48: return wxBitmap::NewFromPNGData(embedded::icon48_png, embedded::icon48_png_size);
    default: return wxBitmap::NewFromPNGData(embedded::icon64_png, embedded::icon64_png_size);
  }
}

wxBitmapBundle LoadAppIconBundle() {
  // The bundle's size at 100% is that of its smallest image.
  wxVector<wxBitmap> images;
  for (const int size : {32, 48, 64}) images.push_back(LoadAppIconBitmap(size));
  return wxBitmapBundle::FromBitmaps(images);
}

wxIconBundle LoadAppIcons() {
  wxIconBundle icons;
  for (const int size : kAppIconSizes) {
    wxIcon icon;
    icon.CopyFromBitmap(LoadAppIconBitmap(size));
    if (icon.IsOk()) icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace orbivane
