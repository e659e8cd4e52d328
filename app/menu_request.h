#pragma once

// "brevicor.exe /menu": a second copy started with it asks the running copy to open its tray
// menu at the pointer, as the hotkey does, and ends.
namespace brevicor {

// The command line asks for the menu: "/menu", "-menu" or "--menu", in any case.
bool MenuRequested(const char* commandLine);

// Finds the running copy's keyboard window (waiting a little for a copy that is still starting),
// lets it take the foreground and asks it for the menu. False when no copy answers.
bool AskRunningCopyForMenu();

} // namespace brevicor
