#pragma once

#include <windows.h>

// Pasting a chosen phrase into the window the user was typing in: the phrase goes on the
// clipboard as every delivery puts it there, the window gets the focus back and receives
// Ctrl+V, and the earlier clipboard content comes back once the window has taken the phrase.
namespace brevicor {

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
void PastePhrase(unsigned commandId, HWND target, const PasteOptions& options);

// Gives the focus back to the window that had it before a menu, if it still exists; true when
// it is the foreground window again within the limit.
bool ReturnFocusTo(HWND target, DWORD limitMs);

} // namespace brevicor
