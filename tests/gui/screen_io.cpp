#include "screen_io.h"

#ifdef __WXMSW__
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#else
#include <cstdlib>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#endif

namespace orbivane::testing {

#ifdef __WXMSW__

wxImage ScreenPixels(const wxRect& area) {
  wxBitmap picture(area.GetSize(), 24);
  {
    wxScreenDC screen;
    wxMemoryDC memory(picture);
    memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
  }
  return picture.ConvertToImage();
}

#else

namespace {

// One 8-bit channel of an X pixel, by its mask (0xFF0000 is red on a 24-bit display).
unsigned char Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  while ((mask & 1) == 0) {
    mask >>= 1;
    pixel >>= 1;
  }
  return static_cast<unsigned char>((pixel & mask) * 255 / mask);
}

}  // namespace

// GTK's screen DC (cairo) keeps the first picture it reads of the screen and
// hands the same one back afterwards, so the X server is asked directly.
wxImage ScreenPixels(const wxRect& area) {
  wxImage image(area.GetSize());
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return image;
  if (XImage* pixels = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                                 static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), AllPlanes,
                                 ZPixmap)) {
    for (int y = 0; y < area.height; ++y) {
      for (int x = 0; x < area.width; ++x) {
        const unsigned long pixel = XGetPixel(pixels, x, y);
        image.SetRGB(x, y, Channel(pixel, pixels->red_mask), Channel(pixel, pixels->green_mask),
                     Channel(pixel, pixels->blue_mask));
      }
    }
    XDestroyImage(pixels);
  }
  XCloseDisplay(display);
  return image;
}

void TurnWheelSideways(const wxPoint& at, int clicks) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  XTestFakeMotionEvent(display, -1, at.x, at.y, CurrentTime);
  const unsigned button = clicks > 0 ? 7 : 6;  // X's buttons of a wheel turned right and left
  for (int click = 0; click < std::abs(clicks); ++click) {
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
  }
  XCloseDisplay(display);  // which sends the events
}

#endif

}  // namespace orbivane::testing
