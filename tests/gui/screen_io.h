// The display as a user meets it: what it shows, read back from it, and (on
// X) the pointer's wheel, given through the X server as a device would.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>

namespace orbivane::testing {

// The pixels of `area` (screen coordinates) as the display shows them now.
wxImage ScreenPixels(const wxRect& area);

#ifndef __WXMSW__
// Moves the pointer to `at` and turns the wheel sideways `clicks` times: to
// the right when positive, as a tilting wheel or a touchpad swipe does.
void TurnWheelSideways(const wxPoint& at, int clicks);
#endif

}  // namespace orbivane::testing
