#include "app/tray_icon.h"

#include "app/app_state.h"
#include "delivery/maker_info.h"

#include <cstdio>
#include <cstring>

namespace brevicor {

#if defined(__i386__)
// The 32-bit program hands the shell the record's first version, which every Windows knows.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
#endif

namespace {

constexpr char kTipPrefix[] = "Brevicor by ";
static_assert(sizeof(kTipPrefix) - 1 + sizeof(kMakerDomain) <= 64,
              "the tip, with its zero, must fit the record's 64 bytes");

TrayIcon g_trayIcon;

} // namespace

BOOL TrayIcon::Add(HWND window, HINSTANCE module) {
    Remove();
    m_frameCount = static_cast<int>(kIconFrameTable.size());
    m_frames.clear();
    for (int id : kIconFrameTable) {
        m_frames.push_back(LoadOwnedIcon(module, id)); // a failed load leaves a null frame
    }
    m_record = NOTIFYICONDATAA{};
    m_record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_record.hWnd = window;
    m_record.uID = kTrayIconId;
    m_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_record.uCallbackMessage = kTrayCallbackMessage;
    m_record.hIcon = m_frames[0].get();
    std::snprintf(m_record.szTip, sizeof(m_record.szTip), "%s%s", kTipPrefix, kMakerDomain);
    BOOL added = Shell_NotifyIconA(NIM_ADD, &m_record);
    m_shown = added != FALSE;
    return added;
}

void TrayIcon::Animate() {
    if (m_frames.empty() || !m_shown) {
        return;
    }
    m_record.hIcon = m_frames[static_cast<size_t>(m_frameIndex)].get();
    Shell_NotifyIconA(NIM_MODIFY, &m_record);
    m_frameIndex = (m_frameIndex + 1) % m_frameCount;
}

void TrayIcon::Remove() {
    if (m_shown) {
        Shell_NotifyIconA(NIM_DELETE, &m_record);
        m_shown = false;
    }
}

void TrayIcon::ReleaseFrames() {
    m_record.hIcon = nullptr;
    m_frames.clear();
}

HICON TrayIcon::Frame(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_frames.size()) {
        return nullptr;
    }
    return m_frames[static_cast<size_t>(index)].get();
}

TrayIcon& TrayIconState() {
    return g_trayIcon;
}

BOOL AddTrayIcon(HWND window) {
    return g_trayIcon.Add(window, AppInstance);
}

void CALLBACK AnimateTrayIcon(HWND, UINT, UINT_PTR, DWORD) {
    g_trayIcon.Animate();
}

} // namespace brevicor
