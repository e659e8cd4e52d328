#include "app/lorvel_app.h"

#include "app/app_state.h"
#include "app/database_folder.h"
#include "app/keyboard_entry.h"
#include "app/menu_request.h"
#include "app/settings_store.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "framework/message_box.h"
#include "res/resource.h"

#include <commctrl.h>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CLorvelApp, CWinApp)

BOOL CLorvelApp::InitInstance() {
    SetExitCode(1); // any start that is refused ends with a failure status

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    if (AnotherCopyRunning()) {
        // "brevicor.exe /menu" from a desktop key binding: the running copy opens its menu.
        if (MenuRequested(GetCommandLineA()) && AskRunningCopyForMenu()) {
            SetExitCode(0);
            return FALSE;
        }
        AppMessageBox("Brevicor is already running");
        return FALSE;
    }
    CWinApp::InitInstance();
    if (!AfxOleInit()) {
        AppMessageBox("AfxOleInit Error!");
        return FALSE;
    }
    if (!AfxSocketInit()) {
        AppMessageBox("Unable to Start Application");
        return FALSE;
    }
    if (!CheckDatabaseFolder()) {
        AppMessageBox("Some Folders are missing, Please re-install Application");
        return FALSE;
    }
    AppInstance = m_hInstance;
    AfxLoadRichEditLibrary();
    // No loop runs before the main dialog has made the icon, so no tick comes before it.
    AnimationTimer = SetTimer(nullptr, 0, 1000, &AnimateTrayIcon);

    if (!CreateMainWindow(IDD_LORVEL_DIALOG)) {
        return FALSE;
    }
    KeyboardEntry::Instance().Apply(LoadSettings().hotkey);
    int status = RunMainLoop();
    KeyboardEntry::Instance().Stop();
    DestroyMainWindow();
    SetExitCode(status);
    return FALSE;
}

bool CLorvelApp::CreateMainWindow(UINT templateId) {
    auto dialog = std::make_unique<CLorvelDlg>();
    if (dialog->Create(templateId) && dialog->GetSafeHwnd() != nullptr) {
        m_mainDialog = std::move(dialog);
        m_pMainWnd = m_mainDialog.get();
        return true;
    }
    // Whatever the initialisation made goes with the dialog: the TrayDialog, and with it the
    // icon. Removing the icon again covers a TrayDialog that outlived a failed creation.
    dialog.reset();
    if (TrayDialog != nullptr) {
        DestroyWindow(TrayDialog);
    }
    TrayIconState().Remove();
    TrayIconState().ReleaseFrames();
    AppMessageBox("Brevicor could not create its main window and has to close.\n"
                  "Please re-install Application");
    return false;
}

int CLorvelApp::RunMainLoop() {
    MSG msg{};
    while (!QuitRequested) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(msg.wParam); // the quit message
        }
        if (got < 0) {
            return 1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

void CLorvelApp::DestroyMainWindow() {
    TrayIconState().ReleaseFrames();
    if (m_mainDialog != nullptr) {
        m_mainDialog->EndDialog(1);
        m_pMainWnd = nullptr;
        m_mainDialog.reset(); // destroys its window, the TrayDialog it owns and so the icon
    }
}

BOOL CLorvelApp::ProcessMessageFilter(int code, MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        CWnd* active = CWnd::FromHandle(GetActiveWindow());
        if (active != nullptr && active->IsKindOf(RUNTIME_CLASS(CLorvelDlg)) &&
            msg->wParam == VK_F1) {
            return TRUE;
        }
    }
    return CWinApp::ProcessMessageFilter(code, msg);
}

} // namespace brevicor
