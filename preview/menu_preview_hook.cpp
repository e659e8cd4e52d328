#include "preview/menu_preview_hook.h"

#include "store/content_cache.h"
#include "store/phrase_menu_ids.h"
#include "store/sql_text.h"

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

// The phrase text of a menu item from the content cache, as stored; empty for anything else.
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

struct PointSearch {
    POINT point;
    bool onMenu = false;
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

BOOL CALLBACK VisitForPoint(HWND window, LPARAM search) {
    auto* state = reinterpret_cast<PointSearch*>(search);
    if (!IsMenuWindowClass(window) || !IsWindowVisible(window)) {
        return TRUE;
    }
    RECT frame{};
    GetWindowRect(window, &frame);
    state->onMenu = PtInRect(&frame, state->point) != FALSE;
    return state->onMenu ? FALSE : TRUE;
}

// Whether a visible menu window shows the menu with the item highlighted in it.
bool IsHighlightedInVisibleMenu(HMENU menu, UINT id) {
    MenuWindowSearch search{menu};
    EnumWindows(&VisitTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    if (search.showing == nullptr) {
        return false; // closed, with Left for instance
    }
    const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_HILITE) != 0;
}

bool CursorOnMenuWindow() {
    POINT cursor{};
    GetCursorPos(&cursor);
    return CMenuPreviewHook::IsOverMenuWindow(cursor);
}

} // namespace

CMenuPreviewHook& MenuPreviewHook() {
    return g_menuPreviewHook;
}

std::string CutPreviewText(const std::string& deliveredText) {
    std::string cut;
    int blanks = 0;
    for (char c : deliveredText) {
        if (blanks == kBlanksShown || c == '\0') {
            break;
        }
        // Unsigned: bytes 0x80 to 0xFF are accented letters, not blanks.
        if (static_cast<unsigned char>(c) <= ' ') {
            c = ' ';
            ++blanks;
        }
        cut += c;
    }
    return cut;
}

std::string PreviewOfStoredText(const std::string& storedText) {
    return CutPreviewText(DecodeApostrophes(storedText));
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
        HideUntilNextDelay();
        m_byMouse = FALSE;
        m_pointerOnMenu = false;
        return;
    }
    m_pointerOnMenu = CursorOnMenuWindow();
    if ((flags & MF_POPUP) != 0) {
        // A category: the next phrase waits again.
        HideUntilNextDelay();
        return;
    }
    if ((flags & MF_SEPARATOR) != 0) {
        m_keepShowing = m_popup.IsWindowVisible();
        m_popup.Hide();
        m_previewMenu = nullptr;
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

    std::string cut = PreviewOfStoredText(CachedTextOfItem(id));
    if (cut.empty()) {
        // A fixed command or a phrase without cached text: only moved and sized. The previewed
        // item stays the earlier phrase, so the next idle moment hides its text.
        return;
    }
    s_previewText = cut + "...";
    m_popup.SetWindowText(s_previewText);
    m_popup.ShowAfter(m_keepShowing ? 0 : static_cast<UINT>(m_delayMs));
    m_previewMenu = menu;
    m_previewId = id;
}

void CMenuPreviewHook::HandleEnterIdle(WPARAM reason, HWND menuWindow) {
    if (reason != MSGF_MENU) {
        return;
    }
    if (m_pointerOnMenu && !CursorOnMenuWindow()) {
        // The pointer that made the selection has left the menus; under Wine the item stays
        // highlighted and no message tells of it.
        m_pointerOnMenu = false;
        HideUntilNextDelay();
        return;
    }
    if (m_previewMenu != nullptr) {
        if (!IsHighlightedInVisibleMenu(m_previewMenu, m_previewId)) {
            HideUntilNextDelay();
            return;
        }
    }
    if (m_byMouse) {
        // Windows flags mouse selections: off the menu's own window, the preview hides until
        // the pointer highlights a phrase again.
        POINT cursor{};
        GetCursorPos(&cursor);
        if (WindowFromPoint(cursor) != menuWindow) {
            m_popup.Hide();
        }
    }
}

void CMenuPreviewHook::HideUntilNextDelay() {
    m_popup.Hide();
    m_keepShowing = FALSE;
    m_previewMenu = nullptr;
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

bool CMenuPreviewHook::IsOverMenuWindow(POINT point) {
    PointSearch search{point};
    EnumWindows(&VisitForPoint, reinterpret_cast<LPARAM>(&search));
    return search.onMenu;
}

} // namespace brevicor
