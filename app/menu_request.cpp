#include "app/menu_request.h"

#include "app/keyboard_entry.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace brevicor {

namespace {

// A copy that has only just been started needs a moment before its window exists.
constexpr DWORD kFindLimitMs = 10000;

// The arguments after the program's own name, which may be quoted.
const char* Arguments(const char* commandLine) {
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"') {
            ++at;
        }
        if (*at == '"') {
            ++at;
        }
    } else {
        while (*at != '\0' && *at != ' ' && *at != '\t') {
            ++at;
        }
    }
    return at;
}

bool IsMenuWord(std::string word) {
    for (char& c : word) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return word == "/menu" || word == "-menu" || word == "--menu";
}

} // namespace

bool MenuRequested(const char* commandLine) {
    if (commandLine == nullptr) {
        return false;
    }
    std::string word;
    for (const char* at = Arguments(commandLine);; ++at) {
        if (*at == '\0' || *at == ' ' || *at == '\t') {
            if (IsMenuWord(word)) {
                return true;
            }
            word.clear();
            if (*at == '\0') {
                return false;
            }
        } else if (*at != '"') {
            word += *at;
        }
    }
}

bool AskRunningCopyForMenu() {
    UINT message = RegisterWindowMessageA(kOpenMenuMessageName);
    if (message == 0) {
        return false;
    }
    for (DWORD waited = 0; waited <= kFindLimitMs; waited += 50) {
        if (HWND window = FindWindowA(kKeyboardEntryClass, nullptr); window != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // This copy was started by the user and may pass the foreground on.
            AllowSetForegroundWindow(process);
            return PostMessageA(window, message, 0, 0) != FALSE;
        }
        Sleep(50);
    }
    return false;
}

} // namespace brevicor
