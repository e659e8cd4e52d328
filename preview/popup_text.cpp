#include "preview/popup_text.h"

#include "framework/gdi.h"
#include "framework/thread_message_state.h"

#include <cstddef>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CPopupText, CWnd)

const MessageMapEntry CPopupText::messageEntries[] = {
    MapRawMessage<&CPopupText::OnNcHitTest>(WM_NCHITTEST), // LRESULT OnNcHitTest(WPARAM, LPARAM)
    MapMessage<&CPopupText::OnPaint>(WM_PAINT),            // void OnPaint()
    MapRawMessage<&CPopupText::OnSetText>(WM_SETTEXT),     // LRESULT OnSetText(WPARAM, LPARAM)
    MapMessage<&CPopupText::OnTimer>(WM_TIMER),            // void OnTimer()
};
const MessageMap CPopupText::messageMap{&CWnd::messageMap, CPopupText::messageEntries};

namespace {

static_assert(offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth) == kFirstNonClientMetricsSize);

constexpr UINT kPaintFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

std::string g_className;

LOGFONTA MenuFontDescription() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kFirstNonClientMetricsSize;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kFirstNonClientMetricsSize, &metrics, 0)) {
        return metrics.lfMenuFont;
    }
    // Without the metrics, the stock user-interface font rather than an arbitrary default.
    LOGFONTA fallback{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof fallback, &fallback);
    return fallback;
}

} // namespace

CPopupText::CPopupText() {
    m_menuFont.CreateFontIndirect(MenuFontDescription());
}

CPopupText::~CPopupText() {
    // Destroyed while the object, its font included, is still whole.
    DestroyWindow();
}

const std::string& CPopupText::ClassName() {
    return g_className;
}

BOOL CPopupText::PreCreateWindow(CREATESTRUCTA& create) {
    if (g_className.empty()) {
        // No class style, cursor, background brush or icon: erasing paints nothing, and the
        // paint handler fills the whole client area itself.
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &CPopupText::WindowProc;
        windowClass.hInstance = create.hInstance;
        windowClass.lpszClassName = "Brevicor:PopupText";
        if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            return FALSE;
        }
        g_className = windowClass.lpszClassName;
    }
    create.lpszClass = g_className.c_str();
    create.style = WS_POPUP | WS_BORDER;
    create.dwExStyle |= WS_EX_TOOLWINDOW;
    return TRUE;
}

BOOL CPopupText::CreatePopup(POINT at, UINT id) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    CREATESTRUCTA create{};
    create.lpCreateParams = this;
    create.hInstance = GetModuleHandleA(nullptr);
    create.x = at.x;
    create.y = at.y;
    create.style = WS_POPUP | WS_VISIBLE;
    if (!PreCreateWindow(create)) {
        return FALSE;
    }
    // For a top-level window this slot is a menu handle, so an identifier goes only to a child.
    auto menuOrId = (create.style & WS_CHILD) != 0
                        ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))
                        : nullptr;
    HWND window = CreateWindowExA(create.dwExStyle, create.lpszClass, create.lpszName, create.style,
                                  create.x, create.y, create.cx, create.cy, create.hwndParent,
                                  menuOrId, create.hInstance, this);
    return window != nullptr && window == m_hWnd;
}

LRESULT CALLBACK CPopupText::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (auto* popup = static_cast<CPopupText*>(create->lpCreateParams); popup != nullptr) {
            popup->LinkOwnedWindow(window);
        }
    }
    // Only CPopupText windows use this procedure, so the user data is always one of them.
    auto* popup = reinterpret_cast<CPopupText*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (popup == nullptr || popup->m_hWnd != window) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    ScopedThreadMessage current(window, message, wParam, lParam);
    LRESULT result = 0;
    if (!popup->OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        popup->Unlink();
        popup->PostNcDestroy();
    }
    return result;
}

void CPopupText::ShowAfter(UINT delayMs) {
    if (m_hWnd == nullptr) {
        return;
    }
    if (delayMs == 0) {
        ::ShowWindow(m_hWnd, SW_SHOWNA);
        InvalidateRect(m_hWnd, nullptr, TRUE);
        UpdateWindow(m_hWnd);
        KillTimer(m_hWnd, kShowTimer);
        return;
    }
    // Setting a running timer again replaces it: the countdown restarts.
    SetTimer(m_hWnd, kShowTimer, delayMs, nullptr);
}

void CPopupText::Hide() {
    if (m_hWnd == nullptr) {
        return;
    }
    KillTimer(m_hWnd, kShowTimer);
    ::ShowWindow(m_hWnd, SW_HIDE);
}

void CPopupText::RenderText(HDC dc, const std::string& text, RECT rect, UINT format) const {
    OwnedBrush background(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
    FillRect(dc, &rect, background.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    ScopedSelectObject font(dc, m_menuFont.Get());
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

LRESULT CPopupText::OnNcHitTest(WPARAM, LPARAM) {
    // Transparent to the pointer: the popup lies over the menu's right-hand part, and the menu
    // below it must still be found there (the hover preview asks which window is under the
    // pointer to tell whether it has left the menu).
    return HTTRANSPARENT;
}

void CPopupText::OnPaint() {
    CPaintDC dc(m_hWnd);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    RenderText(dc.Get(), GetWindowText(), client, kPaintFormat);
}

LRESULT CPopupText::OnSetText(WPARAM, LPARAM lParam) {
    const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
    RECT bounds{};
    GetWindowRect(m_hWnd, &bounds);
    const int oldHeight = bounds.bottom - bounds.top;
    {
        // No word breaking and no prefix suppression: one line per line break, and an
        // ampersand is a mnemonic prefix here as in painting.
        CClientDC dc(m_hWnd);
        ScopedSelectObject font(dc.Get(), m_menuFont.Get());
        DrawTextA(dc.Get(), text, -1, &bounds, DT_CALCRECT);
    }
    InflateRect(&bounds, m_marginX, m_marginY);
    const int width = bounds.right - bounds.left;
    const int height = m_marginY != 0 ? bounds.bottom - bounds.top : oldHeight;
    SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The default processing stores the text and gives the result.
    Default();
    return 0;
}

void CPopupText::OnTimer() {
    ShowAfter(0);
}

} // namespace brevicor
