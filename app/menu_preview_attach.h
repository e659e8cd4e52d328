#pragma once

#include <windows.h>

namespace brevicor {

// Attaches the menu hover preview to the window that owns the tray menu, so that resting on a
// phrase shows the beginning of its text. Called by every main dialog initialisation.
void AttachMenuPreview(HWND window);

} // namespace brevicor
