#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Drives a tray menu that this thread tracks, as a user at the keyboard would: each time the
// menu loop goes idle (WM_ENTERIDLE to the owner), the next key is posted to the menu window.
// The open menu is recorded at its first idle moment. A time limit closes a menu that never
// finishes, so a stuck script fails instead of hanging.
namespace brevicor::testing {

struct MenuItemRecord {
    std::string text;
    UINT id = 0;
    bool separator = false;
    std::vector<MenuItemRecord> submenu; // empty for a plain item
    bool hasSubmenu = false;
};

std::vector<MenuItemRecord> RecordMenu(HMENU menu);

class MenuScript {
public:
    // Keys to press once the menu is open; the last one should close it (Enter or Escape).
    explicit MenuScript(std::vector<UINT> keys);
    ~MenuScript();
    MenuScript(const MenuScript&) = delete;
    MenuScript& operator=(const MenuScript&) = delete;

    bool Opened() const { return m_opened; }
    bool TimedOut() const { return m_timedOut; }
    bool AllKeysPressed() const { return m_next == m_keys.size(); }
    const std::vector<MenuItemRecord>& Menu() const { return m_menu; }

private:
    static LRESULT CALLBACK OnCallWndProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimeLimit(HWND, UINT, UINT_PTR, DWORD);
    void OnEnterIdle(HWND menuWindow);

    std::vector<UINT> m_keys;
    size_t m_next = 0;
    bool m_opened = false;
    bool m_timedOut = false;
    std::vector<MenuItemRecord> m_menu;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
};

// Keys that reach "Toolbox" and then one of its commands, counted from its end ("Exit" = 0).
std::vector<UINT> ToolboxKeys(int stepsUpFromExit);

} // namespace brevicor::testing
