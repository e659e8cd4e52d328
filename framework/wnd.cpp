#include "framework/wnd.h"

#include "framework/dialog.h"

#include <utility>
#include <vector>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CWnd, CCmdTarget)

const MessageMap CWnd::messageMap{&CCmdTarget::messageMap, {}};

CWnd::~CWnd() {
    if (m_owned && m_hWnd != nullptr) {
        HWND window = m_hWnd;
        Unlink();
        ::DestroyWindow(window);
    }
}

bool CWnd::IsFrameworkWindow(HWND window) {
    DWORD process = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0 ||
        process != GetCurrentProcessId()) {
        return false;
    }
    // Our windows are dialogs run by CDialog's procedure; anybody else's user data is not ours
    // to read. The dialog procedure survives subclassing of the window procedure.
    return GetWindowLongPtrA(window, DWLP_DLGPROC) ==
           reinterpret_cast<LONG_PTR>(&CDialog::DialogProc);
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!IsFrameworkWindow(window)) {
        return nullptr;
    }
    auto* object = reinterpret_cast<CWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return object != nullptr && object->m_hWnd == window ? object : nullptr;
}

void CWnd::AttachView(HWND window) {
    m_hWnd = window;
    m_owned = false;
}

HWND CWnd::Detach() {
    if (m_owned) {
        HWND window = m_hWnd;
        Unlink();
        return window;
    }
    return std::exchange(m_hWnd, nullptr);
}

void CWnd::LinkOwnedWindow(HWND window) {
    m_hWnd = window;
    m_owned = true;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Unlink() {
    if (m_hWnd != nullptr && m_owned &&
        GetWindowLongPtrA(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    }
    m_hWnd = nullptr;
    m_owned = false;
}

bool CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return false;
    }
    if (!m_owned) {
        return ::DestroyWindow(std::exchange(m_hWnd, nullptr)) != FALSE;
    }
    // The window's WM_NCDESTROY clears the link.
    return ::DestroyWindow(m_hWnd) != FALSE;
}

std::string CWnd::GetWindowText() const {
    int length = GetWindowTextLengthA(m_hWnd);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    return std::string(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void CWnd::SetIcon(HICON icon, bool big) const {
    SendMessageA(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void CWnd::CenterWindow() const {
    RECT area{};
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        // No owner to centre over (the main window is hidden): the work area of the monitor.
        HMONITOR monitor = MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoA(monitor, &info);
        area = info.rcWork;
    }
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = FindEntry(message, wParam);
    if (entry == nullptr) {
        return false;
    }
    // A nested dispatch on the same object must not lose the outer handler's request.
    bool outerRequest = std::exchange(m_defaultRequested, false);
    *result = entry->invoke(*this, wParam, lParam);
    bool handled = !m_defaultRequested;
    m_defaultRequested = outerRequest;
    return handled;
}

} // namespace brevicor
