#pragma once

#include "preview/popup_text.h"
#include "preview/subclass_wnd.h"

#include <windows.h>

#include <string>

// The menu hover preview: a hook on the window that owns the tray menu. While the highlight
// rests on a phrase, a popup beside the menu shows the beginning of the phrase's text and
// "..."; the first preview of a menu run waits a second, the next ones are shown at once.
namespace brevicor {

class CMenuPreviewHook : public CSubclassWnd {
    DECLARE_RUNTIME_CLASS(CMenuPreviewHook)
public:
    CMenuPreviewHook() = default;
    // The popup (and its window) goes first, then the base detaches the hook.
    ~CMenuPreviewHook() override = default;

    // Follows WM_MENUSELECT and WM_ENTERIDLE, then passes every message on: none is withheld.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The highlight moved (item identifier, or position for a submenu item; menu flags; the
    // menu), or the menu closed (flags 0xFFFF).
    void HandleMenuSelect(UINT id, UINT flags, HMENU menu);
    // The menu loop is idle. The preview hides, and the next one waits for the delay again,
    // once the previewed item is no longer highlighted in a visible menu window, or once the
    // pointer, over a menu window when the item was selected, has left every menu window.
    // The menu's own state is read here because the platform does not always say: Wine sends
    // no WM_MENUSELECT when a submenu closes with Left, and never sets MF_MOUSESELECT.
    void HandleEnterIdle(WPARAM reason, HWND menuWindow);

    // Where the item's preview goes, in screen coordinates: the item's height, level with the
    // item, its left edge on the menu window's right edge. Empty when the item or the menu
    // window cannot be found.
    RECT LocateItem(HMENU menu, UINT id) const;
    // The popup-menu window (class "#32768") showing the menu; without one that shows it, the
    // first visible popup-menu window; null when there is none.
    static HWND FindMenuWindow(HMENU menu);
    // Whether the point lies on a visible popup-menu window.
    static bool IsOverMenuWindow(POINT point);

    const CPopupText& Popup() const { return m_popup; }
    // The text of the latest preview, cut and with "..." appended.
    static const std::string& PreviewText() { return s_previewText; }

    static constexpr int kPopupOverlap = 50; // pixels the preview lies over the menu

private:
    // Hides the popup and cancels a pending show; the next preview waits for the delay.
    void HideUntilNextDelay();

    CPopupText m_popup;
    BOOL m_byMouse = FALSE;     // the last accepted selection came with MF_MOUSESELECT
    BOOL m_keepShowing = FALSE; // a preview was visible in this menu run: no delay
    int m_delayMs = 1000;       // before the first preview of a run
    // The item whose text the popup shows or is about to show; null menu when none.
    HMENU m_previewMenu = nullptr;
    UINT m_previewId = 0;
    // The pointer was on a menu window when the latest item was selected: the selection
    // followed the mouse, so the pointer leaving the menus ends it.
    bool m_pointerOnMenu = false;

    static std::string s_previewText;
};

// The beginning of a phrase's text for its preview, from the text as delivery gives it
// (apostrophes restored): every blank byte (1 to 32) becomes a space, and the text ends just
// after its seventh blank, or at a NUL byte. Bytes 0x80 to 0xFF are letters of the ANSI code
// page and are kept as they are.
std::string CutPreviewText(const std::string& deliveredText);

// The preview of a phrase text as the library stores it: its apostrophe markers restored as
// delivery restores them, then cut.
std::string PreviewOfStoredText(const std::string& storedText);

// The program's one hover-preview hook, constructed before start-up.
CMenuPreviewHook& MenuPreviewHook();

} // namespace brevicor
