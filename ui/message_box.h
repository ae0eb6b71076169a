// Every message box of the program goes through here, so that each one
// stands centred on the window that owns it, whatever the system does.
#pragma once

#include <wx/string.h>

class wxWindow;

namespace orbivane {

// Shows `text` in a message box captioned with the program's title, with the
// buttons and icon of `style` (wxMessageBox's), centred on `owner`, pushed
// inside the owner's screen where it would reach past it. Returns the answer
// as wxMessageBox does (wxOK, wxYES, wxNO).
int ShowMessageBox(wxWindow& owner, const wxString& text, long style);

}  // namespace orbivane
