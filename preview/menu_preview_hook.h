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
    // The menu loop is idle: with mouse navigation, a pointer off the menu hides the preview.
    void HandleEnterIdle(WPARAM reason, HWND menuWindow);

    // Where the item's preview goes, in screen coordinates: the item's height, level with the
    // item, its left edge on the menu window's right edge. Empty when the item or the menu
    // window cannot be found.
    RECT LocateItem(HMENU menu, UINT id) const;
    // The popup-menu window (class "#32768") showing the menu; without one that shows it, the
    // first visible popup-menu window; null when there is none.
    static HWND FindMenuWindow(HMENU menu);

    const CPopupText& Popup() const { return m_popup; }
    // The text of the latest preview, cut and with "..." appended.
    static const std::string& PreviewText() { return s_previewText; }

    static constexpr int kPopupOverlap = 50; // pixels the preview lies over the menu

private:
    CPopupText m_popup;
    BOOL m_byMouse = FALSE;     // the last accepted selection came with MF_MOUSESELECT
    BOOL m_keepShowing = FALSE; // a preview was visible in this menu run: no delay
    int m_delayMs = 1000;       // before the first preview of a run

    static std::string s_previewText;
};

// The beginning of a phrase's text for its preview: every blank byte (1 to 32, or 128 to 255)
// becomes a space, and the text ends just after its seventh blank. The text ends at a NUL byte.
std::string CutPreviewText(const std::string& text);

// The program's one hover-preview hook, constructed before start-up.
CMenuPreviewHook& MenuPreviewHook();

} // namespace brevicor
