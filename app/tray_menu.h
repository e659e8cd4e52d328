#pragma once

#include <windows.h>

// The tray menu: built afresh from the menu resource and the library at every click, tracked
// at the mouse pointer with the main window as owner, and its choice dispatched.
namespace brevicor {

// Loads, fills, tracks and destroys the menu, then dispatches the chosen command.
void OpenTrayMenu();

// Where the menu opened from the keyboard appears: at the text caret of the window the user is
// typing in (the hotkey), falling back to the pointer, or at the pointer (brevicor.exe /menu).
enum class TrayMenuPlace { AtCaret, AtPointer };

// The same menu, opened for the window the user was typing in. A phrase chosen in it is pasted
// into that window when the settings say so, and otherwise delivered as from the icon; a menu
// closed without a choice gives the focus back and changes nothing. Ignored while a menu
// opened this way is still running.
void OpenTrayMenuForTyping(TrayMenuPlace place);

// Acts on a command identifier chosen in the tray menu: a phrase item delivers its phrase, the
// Toolbox commands open their dialogs or end the program; anything else (nothing chosen, a
// category without phrases) does nothing.
void DispatchTrayCommand(UINT id);

} // namespace brevicor
