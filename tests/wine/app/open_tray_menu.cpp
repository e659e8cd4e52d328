// open_tray_menu.exe: opens the tray menu of a running Brevicor as a click on its icon would,
// then either presses Down the given number of times and Right, to show one category's
// phrases (scripts/screenshot-tray-menu), or, given "settings", chooses Toolbox,
// "Settings..." (scripts/screenshot-settings). Ends while the menu or dialog stays open.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

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

int main(int argc, char** argv) {
    std::vector<UINT> keys;
    if (argc > 1 && std::string(argv[1]) == "settings") {
        // Up to "Toolbox", open it, up past "Exit" to "Settings...", choose it.
        keys = {VK_UP, VK_RIGHT, VK_UP, VK_UP, VK_RETURN};
    } else {
        keys.assign(argc > 1 ? std::atoi(argv[1]) : 1, VK_DOWN);
        keys.push_back(VK_RIGHT);
    }
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
    for (UINT key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(200);
    }
    return 0;
}
