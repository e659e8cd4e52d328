#pragma once

#include <windows.h>

#include <string>

// The application's message box: modal, captioned with the application's name, with the
// buttons asked for (OK by default) and the warning icon unless another icon is asked for.
namespace brevicor {

// The executable's file name without its extension ("brevicor" for brevicor.exe).
std::string ApplicationName();

// Shows the box over the thread's active window (or none) and returns the button chosen.
int AppMessageBox(const std::string& text, UINT type = MB_OK);

} // namespace brevicor
