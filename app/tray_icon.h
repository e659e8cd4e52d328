#pragma once

#include "app/owned_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <vector>

// The notification-area icon: its record, its five animation frames and the animation.
namespace brevicor {

inline constexpr UINT kTrayIconId = 2005;
// The message the shell sends to the TrayDialog for mouse events on the icon (WM_APP + 200).
inline constexpr UINT kTrayCallbackMessage = 32968;
// Icon resources shown in turn; the fifth frame is the first icon again.
inline constexpr std::array<int, 5> kIconFrameTable{161, 162, 163, 164, 161};

class TrayIcon {
public:
    TrayIcon() = default;
    // An icon still shown is removed: the shell never keeps one of a finished owner.
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Loads the frames from the module, fills the record for the window and asks the shell to
    // show the icon with frame 0. Returns the shell's result.
    BOOL Add(HWND window, HINSTANCE module);
    // One tick: shows the current frame (the whole record is sent again) and moves to the next.
    // Does nothing while there are no frames, before the icon was added or after shutdown.
    void Animate();
    // Asks the shell to delete the icon, if it is shown.
    void Remove();
    // Shutdown: the frames go; the animation stops touching them.
    void ReleaseFrames();

    bool IsShown() const { return m_shown; }
    const NOTIFYICONDATAA& Record() const { return m_record; }
    int FrameCount() const { return m_frameCount; }
    int FrameIndex() const { return m_frameIndex; }
    HICON Frame(int index) const;

private:
    NOTIFYICONDATAA m_record{};
    std::vector<OwnedIcon> m_frames; // IconFrames
    int m_frameCount = 0;
    int m_frameIndex = 0;
    bool m_shown = false;
};

// The program's one icon.
TrayIcon& TrayIconState();

// Adds the program's icon for the TrayDialog, with the frames of AppInstance.
BOOL AddTrayIcon(HWND window);

// The animation timer's callback: one tick of the program's icon.
void CALLBACK AnimateTrayIcon(HWND, UINT, UINT_PTR, DWORD);

} // namespace brevicor
