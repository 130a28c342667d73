#pragma once

// The keys of the window's text boxes: Enter presses the default button, Ctrl+Enter breaks
// the line, Tab moves on. Edit boxes do this only inside a dialog, and not alike on every
// Windows, so the boxes are taught it here.

#include <windows.h>

namespace orvani::win32 {

void GiveTextBoxDialogKeys(HWND box, HWND defaultButton);

} // namespace orvani::win32
