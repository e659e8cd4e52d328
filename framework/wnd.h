#pragma once

#include "framework/message_map.h"

#include <windows.h>

#include <string>

// A window object: either the owner of a window it created (a dialog), linked to it both ways,
// or a view of a window somebody else owns (a dialog's control, bound by data exchange).
namespace brevicor {

class CWnd : public CCmdTarget {
    DECLARE_RUNTIME_CLASS(CWnd)
public:
    CWnd() = default;
    // Destroys a window the object still owns, after clearing the link, so that no message of
    // the destruction reaches a half-destroyed object.
    ~CWnd() override;
    // The window links back to this object: neither copied nor moved.
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // The object behind one of the program's own windows; null for any other window.
    static CWnd* FromHandle(HWND window);

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Makes the object a view of a window it does not own; no link from the window is made.
    void AttachView(HWND window);
    // Forgets the window without destroying it.
    HWND Detach();

    bool DestroyWindow();

    bool ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    void SetIcon(HICON icon, bool big) const;
    // The window's system menu, or null when it has none.
    HMENU GetSystemMenu() const { return ::GetSystemMenu(m_hWnd, FALSE); }
    // Centres the window over its owner, or on the screen when there is no visible owner.
    void CenterWindow() const;

    // Handles one message through the message map. Returns false when the message is left to
    // the default processing: no entry, or the handler called Default().
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    // Called by a handler: the message it is handling goes on to the default processing.
    void Default() { m_defaultRequested = true; }

    // Links the window to this object (the window's user data) and makes the object its owner.
    void LinkOwnedWindow(HWND window);
    // Clears both directions of the link; the window is left alone.
    void Unlink();

    // Called once the window is gone (WM_NCDESTROY) and the link is cleared.
    virtual void PostNcDestroy() {}

    // Whether a window's user data may be read as a CWnd pointer.
    static bool IsFrameworkWindow(HWND window);

    HWND m_hWnd = nullptr;

private:
    bool m_owned = false;
    bool m_defaultRequested = false;
};

} // namespace brevicor
