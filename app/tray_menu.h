#pragma once

#include <windows.h>

// The tray menu: built afresh from the menu resource and the library at every click, tracked
// at the mouse pointer with the main window as owner, and its choice dispatched.
namespace brevicor {

// Loads, fills, tracks and destroys the menu, then dispatches the chosen command.
void OpenTrayMenu();

// Acts on a command identifier chosen in the tray menu: a phrase item delivers its phrase, the
// Toolbox commands open their dialogs or end the program; anything else (nothing chosen, a
// category without phrases) does nothing.
void DispatchTrayCommand(UINT id);

} // namespace brevicor
