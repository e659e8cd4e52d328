#include "app/tray_dialog.h"

#include "app/app_state.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "res/resource.h"

namespace brevicor {

void CreateTrayDialog(HWND mainWindow) {
    TrayDialog = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_LORVEL_DIALOG), mainWindow,
                                    &TrayDialogProc, 0);
    AddTrayIcon(TrayDialog);
}

INT_PTR CALLBACK TrayDialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case kTrayCallbackMessage:
        // The second parameter carries the mouse message that happened on the icon.
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            OpenTrayMenu();
            break;
        default:
            break;
        }
        break;
    case WM_DESTROY:
        // The icon's notifications come to this window: the icon goes with it, so that no
        // way out of the program (a failed start, a quit message) leaves it behind.
        if (TrayIconState().Record().hWnd == window) {
            TrayIconState().Remove();
        }
        break;
    case WM_NCDESTROY:
        if (TrayDialog == window) {
            TrayDialog = nullptr;
        }
        break;
    default:
        break;
    }
    return 0;
}

} // namespace brevicor
