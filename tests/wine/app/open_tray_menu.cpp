// open_tray_menu.exe: opens the tray menu of a running Brevicor as a click on its icon would,
// then either presses Down the given number of times and Right, to show one category's
// phrases (scripts/screenshot-tray-menu), or, given "settings", chooses Toolbox,
// "Settings..." (scripts/screenshot-settings). Ends while the menu or dialog stays open.
//
// Two more uses drive a copy of the program as its user would, for the team library's test of
// two copies in two Wine prefixes:
//   open_tray_menu.exe choose             chooses the first category's first phrase and prints
//                                         what arrives on the clipboard
//   open_tray_menu.exe add CODE TEXT      adds a phrase to the first category ("Add phrase")
//   open_tray_menu.exe edit-open          opens the phrase editor ("Edit phrase") and leaves it
//   open_tray_menu.exe edit-save TEXT     gives the phrase open in the editor TEXT, and saves
//   open_tray_menu.exe message            prints the start-up message about the library, and
//                                         answers it
#include <windows.h>

#include "res/resource.h"

#include <cstdio>

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

// Opens the menu and posts the keys, one at a time once the menu loop runs.
bool OpenMenuAndPress(const std::vector<UINT>& keys) {
    HWND trayDialog = WaitFor("#32770", true);
    if (trayDialog == nullptr) {
        return false;
    }
    PostMessageA(trayDialog, 32968, 2005, WM_LBUTTONDOWN);
    HWND menu = WaitFor("#32768", false);
    if (menu == nullptr) {
        return false;
    }
    // Keys posted before the menu loop runs would be lost: give it a moment, and one per key.
    Sleep(500);
    for (UINT key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(200);
    }
    return true;
}

std::string ClipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT); data != nullptr) {
            if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
                text = bytes;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

int ChooseFirstPhrase() {
    DWORD before = GetClipboardSequenceNumber();
    if (!OpenMenuAndPress({VK_DOWN, VK_RIGHT, VK_RETURN})) {
        return 1;
    }
    for (int tries = 0; tries < 200 && GetClipboardSequenceNumber() == before; ++tries) {
        Sleep(50);
    }
    Sleep(300); // the text is set once; let the program finish with the clipboard
    std::printf("%s\n", ClipboardText().c_str());
    return GetClipboardSequenceNumber() == before ? 3 : 0;
}

int AddPhrase(const char* code, const char* text) {
    // Up to "Toolbox", open it, down past the two category commands to "Add phrase".
    if (!OpenMenuAndPress({VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})) {
        return 1;
    }
    HWND dialog = nullptr;
    for (int tries = 0; tries < 400 && dialog == nullptr; ++tries) {
        dialog = FindWindowA("#32770", "Add New Phrase");
        Sleep(50);
    }
    if (dialog == nullptr) {
        return 2;
    }
    HWND combo = GetDlgItem(dialog, IDC_CATEGORY_COMBO);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    SetDlgItemTextA(dialog, IDC_NEW_SHORTCUT_EDIT, code);
    SetDlgItemTextA(dialog, IDC_NEW_CONTENT_EDIT, text);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // Once stored, the program asks whether to add another one: no.
    HWND question = nullptr;
    for (int tries = 0; tries < 400 && question == nullptr; ++tries) {
        Sleep(50);
        question = FindWindowA("#32770", "brevicor");
    }
    if (question == nullptr) {
        return 3;
    }
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    for (int tries = 0; tries < 400 && IsWindow(dialog); ++tries) {
        Sleep(50);
    }
    return IsWindow(dialog) ? 4 : 0;
}

HWND WaitForEditor() {
    for (int tries = 0; tries < 400; ++tries) {
        // The editor is the visible one; the program's main dialog of that name stays hidden.
        HWND editor = FindWindowA("#32770", "Parlivo");
        while (editor != nullptr && !IsWindowVisible(editor)) {
            editor = FindWindowExA(nullptr, editor, "#32770", "Parlivo");
        }
        if (editor != nullptr) {
            return editor;
        }
        Sleep(50);
    }
    return nullptr;
}

int OpenEditor() {
    // Up to "Toolbox", open it, down past the category commands and "Add phrase".
    if (!OpenMenuAndPress({VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})) {
        return 1;
    }
    return WaitForEditor() != nullptr ? 0 : 2;
}

int SaveInEditor(const char* text) {
    HWND editor = WaitForEditor();
    if (editor == nullptr) {
        return 2;
    }
    SetDlgItemTextA(editor, IDC_CONTENT_EDIT, text);
    PostMessageA(editor, WM_COMMAND, IDC_SAVE, 0);
    for (int tries = 0; tries < 400 && IsWindowVisible(editor); ++tries) {
        Sleep(50);
    }
    return IsWindowVisible(editor) ? 3 : 0;
}

int AnswerLibraryMessage() {
    HWND box = nullptr;
    for (int tries = 0; tries < 400 && box == nullptr; ++tries) {
        box = FindWindowA("#32770", "Brevicor - Phrase Library");
        Sleep(50);
    }
    if (box == nullptr) {
        return 2;
    }
    // A message box's text is its static control, 0xFFFF.
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::printf("%s\n", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "choose") {
        return ChooseFirstPhrase();
    }
    if (mode == "add" && argc == 4) {
        return AddPhrase(argv[2], argv[3]);
    }
    if (mode == "message") {
        return AnswerLibraryMessage();
    }
    if (mode == "edit-open") {
        return OpenEditor();
    }
    if (mode == "edit-save" && argc == 3) {
        return SaveInEditor(argv[2]);
    }
    std::vector<UINT> keys;
    if (mode == "settings") {
        // Up to "Toolbox", open it, up past "Exit" to "Settings...", choose it.
        keys = {VK_UP, VK_RIGHT, VK_UP, VK_UP, VK_RETURN};
    } else {
        keys.assign(argc > 1 ? std::atoi(argv[1]) : 1, VK_DOWN);
        keys.push_back(VK_RIGHT);
    }
    return OpenMenuAndPress(keys) ? 0 : 1;
}
