// open_settings.exe: opens "Brevicor Settings" in a running Brevicor as a user would, through
// the tray icon's menu, Toolbox, "Settings...". Used by scripts/screenshot-settings; ends while
// the dialog stays open.
#include <windows.h>

#include <initializer_list>

namespace {

struct Search {
    const char* cls;
    bool owned; // the TrayDialog is owned by the hidden main dialog
    HWND found;
};

BOOL CALLBACK Find(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char cls[64] = {};
    char text[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, text, sizeof(text));
    bool match =
        lstrcmpA(cls, search->cls) == 0 &&
        (search->owned ? GetWindow(window, GW_OWNER) != nullptr && lstrcmpA(text, "Parlivo") == 0
                       : IsWindowVisible(window) != FALSE);
    if (match) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitFor(const char* cls, bool owned) {
    for (int tries = 0; tries < 400; ++tries) {
        Search search{cls, owned, nullptr};
        EnumWindows(&Find, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        Sleep(50);
    }
    return nullptr;
}

} // namespace

int main() {
    HWND trayDialog = WaitFor("#32770", true);
    if (trayDialog == nullptr) {
        return 1;
    }
    PostMessageA(trayDialog, 32968, 2005, WM_LBUTTONDOWN);
    HWND menu = WaitFor("#32768", false);
    if (menu == nullptr) {
        return 2;
    }
    // Keys posted before the menu loop runs would be lost: give it a moment, and one per key.
    Sleep(500);
    // Up to "Toolbox", open it, up past "Exit" to "Settings...", choose it.
    for (UINT key : {VK_UP, VK_RIGHT, VK_UP, VK_UP, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(200);
    }
    return 0;
}
