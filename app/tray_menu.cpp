#include "app/tray_menu.h"

#include "app/app_state.h"
#include "app/library_dialogs.h"
#include "app/lorvel_dlg.h"
#include "app/settings_command.h"
#include "app/settings_store.h"
#include "app/tray_icon.h"
#include "delivery/paste.h"
#include "delivery/phrase_delivery.h"
#include "framework/popup_menu.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/library_refresh.h"
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

// Builds the menu, tracks it at a screen position with the main window as owner and returns
// the chosen identifier: 0 when nothing was chosen or the menu could not be loaded.
UINT TrackTrayMenu(POINT at) {
    OwnedMenu menu(LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_TRAY_MENU)));
    if (menu.Get() == nullptr) {
        return 0;
    }
    HMENU popup = GetSubMenu(menu.Get(), 0);
    if (popup == nullptr) {
        return 0;
    }
    // The library as it is now: a colleague may have changed it since the last menu.
    RefreshLibraryViews();
    PopupMenu categories(popup);
    BuildCategoryMenus(categories);

    HWND owner = MainWindow();
    // The owner must be the foreground window, or the menu does not close when the user
    // clicks elsewhere.
    SetForegroundWindow(owner);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    // Lets the owner's queue move on, so that the next click on the icon opens the menu again.
    PostMessageA(owner, WM_NULL, 0, 0);
    return chosen;
}

// The top-level window the user is typing in, or null when it is none of the user's: the
// desktop, the shell, or a hidden window (the main window after a menu from the icon).
HWND TypingWindow() {
    HWND window = GetForegroundWindow();
    if (window == nullptr || window == GetDesktopWindow() || window == GetShellWindow() ||
        !IsWindowVisible(window)) {
        return nullptr;
    }
    return GetAncestor(window, GA_ROOT);
}

// The control that has the focus in the typing window, read from its thread.
HWND FocusWithin(HWND typingWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (typingWindow == nullptr ||
        !GetGUIThreadInfo(GetWindowThreadProcessId(typingWindow, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

POINT PointerPosition() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

// Just below the text caret of the typing window's thread, when it shows one.
POINT CaretOrPointer(HWND typingWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (typingWindow != nullptr &&
        GetGUIThreadInfo(GetWindowThreadProcessId(typingWindow, nullptr), &info) &&
        info.hwndCaret != nullptr && IsWindowVisible(info.hwndCaret)) {
        POINT at{info.rcCaret.left, info.rcCaret.bottom};
        if (ClientToScreen(info.hwndCaret, &at)) {
            return at;
        }
    }
    return PointerPosition();
}

} // namespace

void OpenTrayMenu() {
    DispatchTrayCommand(TrackTrayMenu(PointerPosition()));
}

void OpenTrayMenuForTyping(TrayMenuPlace place) {
    // A hotkey pressed again while its menu, or the paste after it, is still running.
    static bool running = false;
    if (running) {
        return;
    }
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;

    PasteTarget target{TypingWindow(), FocusWithin(TypingWindow())};
    POINT at = place == TrayMenuPlace::AtCaret ? CaretOrPointer(target.window) : PointerPosition();
    UINT chosen = TrackTrayMenu(at);
    bool phrase = TrayMenuPhraseIds().PhraseIdFor(chosen).has_value();
    if (phrase && target.window != nullptr) {
        Settings settings = LoadSettings();
        if (settings.pasteIntoPreviousWindow) {
            PasteOptions options;
            options.keepPhraseOnClipboard = settings.keepPhraseOnClipboard;
            PastePhrase(chosen, target, options);
            return;
        }
    }
    if (chosen == 0 || phrase) {
        // The user goes on typing where they were; a Toolbox command opens its dialog instead.
        ReturnFocusTo(target, 1000);
    }
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
    case ID_TRAY_SETTINGS:
        RunSettingsDialog();
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
