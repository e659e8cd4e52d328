#pragma once

#include <windows.h>

// Pasting a chosen phrase into the window the user was typing in: the phrase goes on the
// clipboard as every delivery puts it there, the window gets the focus back and receives
// Ctrl+V, and the earlier clipboard content comes back once the window has taken the phrase.
namespace brevicor {

// The window the user was typing in: its top-level window and the control that had the focus.
struct PasteTarget {
    HWND window = nullptr;
    HWND focus = nullptr; // may be null: the window's own choice then stands
};

struct PasteOptions {
    bool keepPhraseOnClipboard = false;
    // How long the window may take to read the clipboard after Ctrl+V before the earlier
    // content is put back regardless.
    DWORD readLimitMs = 5000;
    // How long the window may take to come back to the foreground.
    DWORD focusLimitMs = 2000;
};

// Delivers the phrase a tray-menu identifier stands for into `target`, a top-level window.
// When the target has gone or does not come back to the foreground, nothing is sent and the
// phrase stays on the clipboard. When the clipboard is busy, nothing changes (traced).
void PastePhrase(unsigned commandId, const PasteTarget& target, const PasteOptions& options);

// Gives the focus back to the window that had it before a menu, if it still exists, and within
// it to the control that had it; true when the window is the foreground window again within
// the limit.
bool ReturnFocusTo(const PasteTarget& target, DWORD limitMs);

} // namespace brevicor
