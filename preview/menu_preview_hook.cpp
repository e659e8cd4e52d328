#include "preview/menu_preview_hook.h"

#include "store/category_list.h"
#include "store/phrase_menu_ids.h"

#include <cstring>
#include <optional>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CMenuPreviewHook, CSubclassWnd)

std::string CMenuPreviewHook::s_previewText;

namespace {

constexpr UINT kMenuClosed = 0xFFFF;
constexpr int kBlanksShown = 7;
constexpr const char kMenuWindowClass[] = "#32768";

// Constructed before start-up with the other process-wide objects, after s_previewText.
CMenuPreviewHook g_menuPreviewHook;

// The phrase text of a menu item from the content cache, or empty for anything else.
std::string CachedTextOfItem(UINT id) {
    std::optional<int> phraseId = TrayMenuPhraseIds().PhraseIdFor(id);
    return phraseId ? LookupCachedContent(*phraseId) : std::string();
}

bool IsMenuWindowClass(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, kMenuWindowClass) == 0;
}

struct MenuWindowSearch {
    HMENU menu;
    HWND showing = nullptr;      // the menu window that shows `menu`
    HWND firstVisible = nullptr; // the first visible menu window, in enumeration order
};

BOOL CALLBACK VisitTopLevelWindow(HWND window, LPARAM search) {
    auto* state = reinterpret_cast<MenuWindowSearch*>(search);
    if (!IsMenuWindowClass(window) || !IsWindowVisible(window)) {
        return TRUE;
    }
    if (state->firstVisible == nullptr) {
        state->firstVisible = window;
    }
    if (state->menu != nullptr &&
        reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)) == state->menu) {
        state->showing = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

CMenuPreviewHook& MenuPreviewHook() {
    return g_menuPreviewHook;
}

std::string CutPreviewText(const std::string& text) {
    std::string cut;
    int blanks = 0;
    for (char c : text) {
        if (blanks == kBlanksShown || c == '\0') {
            break;
        }
        // Signed: bytes 0x80 to 0xFF are negative, so they count as blanks with the controls.
        if (static_cast<signed char>(c) <= ' ') {
            c = ' ';
            ++blanks;
        }
        cut += c;
    }
    return cut;
}

LRESULT CMenuPreviewHook::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MENUSELECT:
        HandleMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        break;
    case WM_ENTERIDLE:
        HandleEnterIdle(wParam, reinterpret_cast<HWND>(lParam));
        break;
    default:
        break;
    }
    return CSubclassWnd::HandleMessage(message, wParam, lParam);
}

void CMenuPreviewHook::HandleMenuSelect(UINT id, UINT flags, HMENU menu) {
    if (m_popup.GetSafeHwnd() == nullptr) {
        m_popup.CreatePopup(POINT{0, 0}, 0);
        // No vertical margin: the popup keeps the height of the item it is placed on.
        m_popup.SetMargins(4, 0);
    }
    if (flags == kMenuClosed) {
        m_popup.Hide();
        m_byMouse = FALSE;
        m_keepShowing = FALSE;
        return;
    }
    if ((flags & MF_POPUP) != 0) {
        // A category: the next phrase waits again.
        m_popup.Hide();
        m_keepShowing = FALSE;
        return;
    }
    if ((flags & MF_SEPARATOR) != 0) {
        m_keepShowing = m_popup.IsWindowVisible();
        m_popup.Hide();
        return;
    }
    if (id == 0 || menu == nullptr) {
        return;
    }
    if (m_popup.IsWindowVisible()) {
        m_keepShowing = TRUE;
    }
    m_byMouse = (flags & MF_MOUSESELECT) != 0;

    const RECT item = LocateItem(menu, id);
    SetWindowPos(m_popup.GetSafeHwnd(), HWND_TOPMOST, item.left - kPopupOverlap, item.top,
                 item.right - item.left, item.bottom - item.top, SWP_NOACTIVATE);

    std::string cut = CutPreviewText(CachedTextOfItem(id));
    if (cut.empty()) {
        // A fixed command or a phrase without cached text: only moved and sized.
        return;
    }
    s_previewText = cut + "...";
    m_popup.SetWindowText(s_previewText);
    m_popup.ShowAfter(m_keepShowing ? 0 : static_cast<UINT>(m_delayMs));
}

void CMenuPreviewHook::HandleEnterIdle(WPARAM reason, HWND menuWindow) {
    if (!m_byMouse || reason != MSGF_MENU) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) != menuWindow) {
        m_popup.Hide();
    }
}

RECT CMenuPreviewHook::LocateItem(HMENU menu, UINT id) const {
    HWND menuWindow = FindMenuWindow(menu);
    if (menuWindow == nullptr) {
        return RECT{};
    }
    RECT frame{};
    GetWindowRect(menuWindow, &frame);
    // Items are stacked below the window's top edge, its 3-D edge and one more pixel.
    int y = frame.top + GetSystemMetrics(SM_CYEDGE) + 1;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        RECT item{};
        GetMenuItemRect(GetTarget(), menu, static_cast<UINT>(position), &item);
        if (GetMenuItemID(menu, position) == id) {
            return RECT{frame.right, y, frame.right + (item.right - item.left),
                        y + (item.bottom - item.top)};
        }
        y += item.bottom - item.top;
    }
    return RECT{};
}

HWND CMenuPreviewHook::FindMenuWindow(HMENU menu) {
    MenuWindowSearch search{menu};
    EnumWindows(&VisitTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.showing != nullptr ? search.showing : search.firstVisible;
}

} // namespace brevicor
