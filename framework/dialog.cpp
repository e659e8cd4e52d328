#include "framework/dialog.h"

#include "framework/thread_message_state.h"
#include "framework/win_app.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CDialog, CWnd)

const MessageMap CDialog::messageMap{&CWnd::messageMap, {}};

HINSTANCE ResourceInstance() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_hInstance != nullptr) {
        return app->m_hInstance;
    }
    return GetModuleHandleA(nullptr);
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    m_parent = parent;
    HWND owner = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    return CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(templateId), owner, &DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

HWND CDialog::ModalOwner() const {
    if (m_parent != nullptr && m_parent->GetSafeHwnd() != nullptr) {
        return GetAncestor(m_parent->GetSafeHwnd(), GA_ROOT);
    }
    CWinApp* app = AfxGetApp();
    HWND main =
        app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    if (main == nullptr) {
        return nullptr;
    }
    // A dialog opened from another dialog (the about box from an editor's system menu) is owned
    // by that dialog, the main window's last active popup, so that it is the one disabled.
    HWND popup = GetLastActivePopup(main);
    if (popup != nullptr && popup != main && ::IsWindowVisible(popup) && IsWindowEnabled(popup)) {
        return popup;
    }
    return main;
}

INT_PTR CDialog::DoModal() {
    HWND owner = ModalOwner();
    bool ownerDisabled = false;
    if (owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    m_modalRunning = true;
    m_endRequested = false;
    m_result = -1;
    HWND window = CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), owner,
                                     &DialogProc, reinterpret_cast<LPARAM>(this));
    if (window != nullptr && !m_endRequested) {
        RunModalLoop();
    }
    m_modalRunning = false;
    // The owner is enabled before the dialog goes, so that activation returns to it.
    if (ownerDisabled) {
        EnableWindow(owner, TRUE);
    }
    if (m_hWnd != nullptr) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::DestroyWindow(m_hWnd);
    }
    return window != nullptr ? m_result : -1;
}

void CDialog::RunModalLoop() {
    bool idleSeen = false;
    while (!m_endRequested && m_hWnd != nullptr) {
        MSG msg{};
        if (!idleSeen && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // The initialisation may have hidden the dialog; it is shown once the queue first
            // goes idle, after the messages of its creation have been handled.
            idleSeen = true;
            if (!::IsWindowVisible(m_hWnd)) {
                ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
                ::UpdateWindow(m_hWnd);
            }
            continue;
        }
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The quit message belongs to the outer loop: put it back and end this run.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got < 0) {
            return;
        }
        if (CallMsgFilterA(&msg, MSGF_DIALOGBOX)) {
            continue;
        }
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->PreTranslateMessage(&msg)) {
            continue;
        }
        if (m_hWnd != nullptr && IsDialogMessageA(m_hWnd, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CDialog::EndDialog(int result) {
    m_result = result;
    if (m_modalRunning) {
        m_endRequested = true;
        // Wakes the loop if it is waiting for a message.
        if (m_hWnd != nullptr) {
            PostMessageA(m_hWnd, WM_NULL, 0, 0);
        }
        return;
    }
    if (m_hWnd != nullptr) {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(*this, saveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

void CDialog::ClearBoundControls() {
    for (CWnd* control : m_boundControls) {
        control->Detach();
    }
    m_boundControls.clear();
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (CWnd::OnWndMsg(message, wParam, lParam, result)) {
        return true;
    }
    switch (message) {
    case WM_INITDIALOG:
        *result = OnInitDialog();
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
        // Commands no dialog handles go on to the application (the help command).
        if (CWinApp* app = AfxGetApp(); app != nullptr) {
            return app->OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
        }
        return false;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        if (dialog != nullptr) {
            dialog->LinkOwnedWindow(window);
        }
    } else {
        // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet and get the default.
        dialog = static_cast<CDialog*>(FromHandle(window));
    }
    if (dialog == nullptr) {
        return FALSE;
    }
    ScopedThreadMessage current(window, message, wParam, lParam);
    LRESULT result = 0;
    bool handled = dialog->OnWndMsg(message, wParam, lParam, &result);
    if (message == WM_NCDESTROY) {
        dialog->ClearBoundControls();
        dialog->Unlink();
        dialog->PostNcDestroy();
        return FALSE;
    }
    if (!handled) {
        return FALSE;
    }
    switch (message) {
    // These messages return their result straight from the dialog procedure.
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

} // namespace brevicor
