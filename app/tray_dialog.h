#pragma once

#include <windows.h>

// The TrayDialog: a hidden dialog on the main dialog's template that receives the tray icon's
// notifications and opens the tray menu.
namespace brevicor {

// Creates the TrayDialog, owned by the main dialog's window, stores it in TrayDialog and adds
// the tray icon for it.
void CreateTrayDialog(HWND mainWindow);

// The TrayDialog's procedure. A left or right button press on the icon opens the tray menu;
// nothing is ever reported as handled, so the default dialog handling follows every message.
INT_PTR CALLBACK TrayDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace brevicor
