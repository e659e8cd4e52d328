#pragma once

#include <windows.h>

// The running program's process-wide state: zero at load, set by start-up and the tray.
namespace brevicor {

// Set by the tray menu's Exit; the main loop ends when it is set. Never cleared.
extern bool QuitRequested;

// The program's instance: its icons, menu and dialog templates come from here.
extern HINSTANCE AppInstance;

// The hidden window that receives the tray icon's notifications; null until the main dialog's
// first initialisation creates it, and again once it is destroyed.
extern HWND TrayDialog;

// The one-second thread timer that animates the tray icon.
extern UINT_PTR AnimationTimer;

} // namespace brevicor
