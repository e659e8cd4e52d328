#pragma once

// The Toolbox's "Settings...": shows the settings, and at OK stores them and puts a changed
// hotkey into effect at once.
namespace brevicor {

void RunSettingsDialog();

// The line under the hotkey in the settings: whether the current key works.
const char* HotkeyStatusText(bool none, bool active);

} // namespace brevicor
