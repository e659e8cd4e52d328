#include "menu_script.h"

namespace brevicor::testing {

namespace {

MenuScript* g_activeScript = nullptr;

// Long enough for a slow machine, short enough that a stuck menu fails the test soon.
constexpr UINT kTimeLimitMs = 10000;

} // namespace

std::vector<MenuItemRecord> RecordMenu(HMENU menu) {
    std::vector<MenuItemRecord> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        MenuItemRecord item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.text = item.separator ? "" : text;
        item.id = info.wID;
        if (info.hSubMenu != nullptr) {
            item.hasSubmenu = true;
            item.submenu = RecordMenu(info.hSubMenu);
        }
        items.push_back(std::move(item));
    }
    return items;
}

MenuScript::MenuScript(std::vector<UINT> keys) : m_keys(std::move(keys)) {
    g_activeScript = this;
    m_hook = SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWndProc, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, kTimeLimitMs, &OnTimeLimit);
}

MenuScript::~MenuScript() {
    KillTimer(nullptr, m_timer);
    UnhookWindowsHookEx(m_hook);
    g_activeScript = nullptr;
}

LRESULT CALLBACK MenuScript::OnCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_activeScript != nullptr && sent->message == WM_ENTERIDLE &&
        sent->wParam == MSGF_MENU) {
        g_activeScript->OnEnterIdle(reinterpret_cast<HWND>(sent->lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MenuScript::OnEnterIdle(HWND menuWindow) {
    if (!m_opened) {
        m_opened = true;
        auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
        m_menu = RecordMenu(menu);
    }
    if (m_next < m_keys.size()) {
        PostMessageA(menuWindow, WM_KEYDOWN, m_keys[m_next++], 0);
    }
}

void CALLBACK MenuScript::OnTimeLimit(HWND, UINT, UINT_PTR, DWORD) {
    if (g_activeScript != nullptr) {
        g_activeScript->m_timedOut = true;
    }
    EndMenu();
}

std::vector<UINT> ToolboxKeys(int stepsUpFromExit) {
    // Up from nothing selected lands on the last item, "Toolbox"; Right opens it on its first
    // item, and Up from there wraps to its last, "Exit".
    std::vector<UINT> keys{VK_UP, VK_RIGHT, VK_UP};
    for (int i = 0; i < stepsUpFromExit; ++i) {
        keys.push_back(VK_UP);
    }
    keys.push_back(VK_RETURN);
    return keys;
}

} // namespace brevicor::testing
