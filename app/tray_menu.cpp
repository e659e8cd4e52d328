#include "app/tray_menu.h"

#include "app/app_state.h"
#include "app/library_dialogs.h"
#include "app/lorvel_dlg.h"
#include "app/tray_icon.h"
#include "delivery/phrase_delivery.h"
#include "framework/popup_menu.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/phrase_menu_ids.h"

namespace brevicor {

namespace {

HWND MainWindow() {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

void RunEditor() {
    CLorvelDlg editor;
    editor.DoModal();
}

void Exit() {
    TrayIconState().Remove();
    QuitRequested = true;
    // Wakes the main loop, which tests the flag before each wait, even when this command came
    // in a message that was sent rather than posted.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

} // namespace

void OpenTrayMenu() {
    OwnedMenu menu(LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    if (menu.Get() == nullptr) {
        return;
    }
    HMENU popup = GetSubMenu(menu.Get(), 0);
    if (popup == nullptr) {
        return;
    }
    PopupMenu categories(popup);
    BuildCategoryMenus(categories);

    POINT at{};
    GetCursorPos(&at);
    HWND owner = MainWindow();
    // The owner must be the foreground window, or the menu does not close when the user
    // clicks elsewhere.
    SetForegroundWindow(owner);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    // Lets the owner's queue move on, so that the next click on the icon opens the menu again.
    PostMessageA(owner, WM_NULL, 0, 0);
    menu.Reset();
    DispatchTrayCommand(chosen);
}

void DispatchTrayCommand(UINT id) {
    switch (id) {
    case ID_TRAY_EDIT_PHRASE:
        RunEditor();
        return;
    case ID_TRAY_ADD_PHRASE:
        RunAddPhraseDialog();
        return;
    case ID_TRAY_EXIT:
        Exit();
        return;
    case ID_TRAY_ABOUT:
        RunAboutBox();
        return;
    case ID_TRAY_ADD_CATEGORY:
        RunAddCategoryDialog();
        return;
    case ID_TRAY_DELETE_CATEGORY:
        RunDeleteCategoryDialog();
        return;
    case ID_TRAY_RESTORE_PHRASES:
        RunRestorePhrasesDialog();
        return;
    default:
        // Only phrase items deliver: a category item without phrases carries its list index as
        // identifier, and choosing it must not put the signature alone on the clipboard.
        if (TrayMenuPhraseIds().PhraseIdFor(id).has_value()) {
            DeliverPhrase(id);
        }
        return;
    }
}

} // namespace brevicor
