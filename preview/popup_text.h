#pragma once

#include "framework/font.h"
#include "framework/wnd.h"

#include <windows.h>

#include <string>

// A small tooltip-like window showing one line of text in the system's tooltip colours and
// menu font. Setting its text resizes it to fit; it is shown at once or after a delay, and no
// operation activates it. Its owner moves it, sets its text, shows and hides it.
namespace brevicor {

// The non-client metrics record as first defined, without iPaddedBorderWidth: every system
// version accepts this size, where older ones refuse the full record.
inline constexpr UINT kFirstNonClientMetricsSize = 340;

class CPopupText : public CWnd {
    DECLARE_RUNTIME_CLASS(CPopupText)
public:
    // Makes the menu font from the system's non-client metrics; margins 4 and 4; no window yet.
    CPopupText();
    ~CPopupText() override;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Creates the window, hidden and of zero size at the point; false when it failed or a
    // window already exists. A popup window has no identifier of its own: `id` is used only
    // if a derived pre-creation step makes a child window of it.
    BOOL CreatePopup(POINT at, UINT id);

    // Shows the window now without activating it (0), or once `delayMs` have passed; a show
    // still pending is replaced, so the countdown starts again.
    void ShowAfter(UINT delayMs);
    // Cancels a pending show and hides the window.
    void Hide();

    // Pixels added left and right, and above and below, of the measured text. With a vertical
    // margin of 0 a text change keeps the window's height.
    void SetMargins(int x, int y) {
        m_marginX = x;
        m_marginY = y;
    }
    int GetMarginX() const { return m_marginX; }
    int GetMarginY() const { return m_marginY; }

    // Fills the rectangle with the tooltip background and draws the text in the menu font.
    void RenderText(HDC dc, const std::string& text, RECT rect, UINT format) const;

    // The process-wide class name of the popup windows; empty until the first creation.
    static const std::string& ClassName();

    static constexpr UINT_PTR kShowTimer = 1;

protected:
    // Supplies the class, forces WS_POPUP | WS_BORDER (so the window starts hidden) and adds
    // WS_EX_TOOLWINDOW (no taskbar button). False stops the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& create);

private:
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    void OnTimer();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static const MessageMapEntry messageEntries[];

    int m_marginX = 4;
    int m_marginY = 4;
    CFont m_menuFont;
};

} // namespace brevicor
