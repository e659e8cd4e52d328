// The least a tray program can do for the end-to-end benchmark: an icon, and at each click on
// it a menu of the 10,000-phrase library's shape (250 categories of 40 phrases, built afresh,
// as Brevicor builds its menu) whose choice puts the same text on the clipboard. No library,
// no framework: what Brevicor's figures are set beside.
#include "bench/generated_library.h"
#include "delivery/maker_info.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

using brevicor::bench::kMediumLibrary;

constexpr UINT kCallbackMessage = 32968; // Brevicor's, so the same driver clicks both
constexpr UINT kIconId = 2005;
constexpr UINT kFirstPhraseCommand = 40000;

HMENU BuildMenu() {
    HMENU menu = CreatePopupMenu();
    const int perCategory = kMediumLibrary.phrases / kMediumLibrary.categories;
    for (int category = 0; category < kMediumLibrary.categories; ++category) {
        HMENU submenu = CreatePopupMenu();
        for (int k = 0; k < perCategory; ++k) {
            const int phrase = category + k * kMediumLibrary.categories;
            AppendMenuA(submenu, MF_STRING, kFirstPhraseCommand + phrase + 1,
                        brevicor::bench::CodeName(kMediumLibrary, phrase).c_str());
        }
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                    brevicor::bench::CategoryName(kMediumLibrary, category).c_str());
    }
    AppendMenuA(menu, MF_STRING, 1, "Exit");
    return menu;
}

void Deliver(HWND window, int phrase) {
    const std::string text = brevicor::bench::DeliveredText(phrase) + brevicor::SignatureBlock();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory == nullptr) {
        return;
    }
    if (void* bytes = GlobalLock(memory)) {
        CopyMemory(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    if (OpenClipboard(window)) {
        EmptyClipboard();
        if (SetClipboardData(CF_TEXT, memory) != nullptr) {
            memory = nullptr; // the clipboard owns it now
        }
        CloseClipboard();
    }
    if (memory != nullptr) {
        GlobalFree(memory);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage && (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONDOWN)) {
        HMENU menu = BuildMenu();
        POINT at{};
        GetCursorPos(&at);
        SetForegroundWindow(window);
        const UINT chosen = static_cast<UINT>(TrackPopupMenu(
            menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
        DestroyMenu(menu);
        if (chosen == 1) {
            DestroyWindow(window);
        } else if (chosen > kFirstPhraseCommand) {
            Deliver(window, static_cast<int>(chosen - kFirstPhraseCommand - 1));
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BareTrayBenchmark";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("BareTrayBenchmark", "Bare tray", WS_OVERLAPPED, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = kIconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kCallbackMessage;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpyA(icon.szTip, "Bare tray");
    Shell_NotifyIconA(NIM_ADD, &icon);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
