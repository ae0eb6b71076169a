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
  struct Image {
    int size;
    const unsigned char* png;
    std::size_t bytes;
  };
  static const Image images[] = {{64, embedded::icon64_png, embedded::icon64_png_size},
                                 {48, embedded::icon48_png, embedded::icon48_png_size},
                                 {32, embedded::icon32_png, embedded::icon32_png_size},
                                 {16, embedded::icon16_png, embedded::icon16_png_size}};
  const Image* chosen = &images[3];
  for (const Image& image : images) {
    if (image.size <= size) {
      chosen = &image;
      break;
    }
  }
  return wxBitmap::NewFromPNGData(chosen->png, chosen->bytes);
}

wxIconBundle LoadAppIcons() {
  wxIconBundle icons;
  for (const int size : {16, 32, 48, 64}) {
    wxIcon icon;
    icon.CopyFromBitmap(LoadAppIconBitmap(size));
    if (icon.IsOk()) icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace orbivane
