#include "delivery/paste.h"

#include "delivery/clipboard_snapshot.h"
#include "delivery/phrase_delivery.h"

#include <exception>
#include <functional>
#include <vector>

namespace brevicor {

namespace {

// Runs the thread's messages until the condition holds or the limit passes; the clipboard's
// rendering requests and the target's activation need them. Returns the condition.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limitMs) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop that ends on it
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Ctrl+V. Modifiers still held from the hotkey (Alt, Shift, the Windows key) are released
// first, or the target would see Ctrl+Alt+V.
void SendPasteKeys() {
    std::vector<INPUT> inputs;
    for (WORD held : {VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(held) & 0x8000) {
            inputs.push_back(Key(held, true));
        }
    }
    inputs.push_back(Key(VK_CONTROL, false));
    inputs.push_back(Key('V', false));
    inputs.push_back(Key('V', true));
    inputs.push_back(Key(VK_CONTROL, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusOfThread(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// A window that does not put the focus back on its control when activated (a frame left to
// the default handling) gets it from here, through its thread's input state.
void ReturnFocusToControl(const PasteTarget& target, DWORD limitMs) {
    if (target.focus == nullptr || !IsWindow(target.focus) ||
        GetAncestor(target.focus, GA_ROOT) != target.window) {
        return;
    }
    DWORD thread = GetWindowThreadProcessId(target.window, nullptr);
    if (FocusOfThread(thread) == target.focus) {
        return;
    }
    DWORD own = GetCurrentThreadId();
    if (thread == own) {
        SetFocus(target.focus);
        return;
    }
    if (AttachThreadInput(own, thread, TRUE)) {
        SetFocus(target.focus);
        AttachThreadInput(own, thread, FALSE);
    }
    PumpUntil([&] { return FocusOfThread(thread) == target.focus || !IsWindow(target.focus); },
              limitMs);
}

} // namespace

bool ReturnFocusTo(const PasteTarget& target, DWORD limitMs) {
    HWND window = target.window;
    if (window == nullptr || !IsWindow(window)) {
        return false;
    }
    // Asked again while we wait: the closing menu can take the activation back after our first
    // request (seen under Wine with a window manager), and then the paste would be skipped.
    SetForegroundWindow(window);
    DWORD lastAsked = GetTickCount();
    auto arrived = [window, &lastAsked] {
        if (!IsWindow(window) || GetForegroundWindow() == window) {
            return true;
        }
        if (GetTickCount() - lastAsked >= 100) {
            SetForegroundWindow(window);
            lastAsked = GetTickCount();
        }
        return false;
    };
    if (!PumpUntil(arrived, limitMs) || !IsWindow(window)) {
        return false;
    }
    ReturnFocusToControl(target, limitMs);
    return true;
}

void PastePhrase(unsigned commandId, const PasteTarget& target, const PasteOptions& options) {
    try {
        std::string text = PhraseTextFor(commandId);
        if (options.keepPhraseOnClipboard || target.window == nullptr || !IsWindow(target.window)) {
            bool onClipboard = PutPhraseOnClipboard(std::move(text));
            if (!ReturnFocusTo(target, options.focusLimitMs)) {
                TraceDeliverySkipped("paste",
                                     "the window has gone; the phrase is on the clipboard");
                return;
            }
            // Ctrl+V would paste whatever the clipboard still holds instead of the phrase.
            if (onClipboard) {
                SendPasteKeys();
            }
            return;
        }

        // On a skip the user goes on typing where they were, with the clipboard as it was.
        ClipboardSnapshot earlier;
        if (!earlier.Take()) {
            TraceDeliverySkipped("paste", "the clipboard is busy");
            ReturnFocusTo(target, options.focusLimitMs);
            return;
        }
        ComPtr<COleDataSource> source = MakeClipboardSource(std::move(text));
        if (!source) {
            ReturnFocusTo(target, options.focusLimitMs);
            return;
        }
        // Not rendered at once, so that the target's reading of the phrase can be seen.
        if (FAILED(source->SetClipboardUnrendered())) {
            TraceDeliverySkipped("paste", "the clipboard refused the phrase");
            earlier.Restore(); // in case the refusal came after the clipboard was emptied
            ReturnFocusTo(target, options.focusLimitMs);
            return;
        }
        unsigned requestsBefore = source->DataRequests();
        if (!ReturnFocusTo(target, options.focusLimitMs)) {
            OleFlushClipboard(); // the phrase stays, whole, after the program ends too
            TraceDeliverySkipped("paste", "the window has gone; the phrase is on the clipboard");
            return;
        }
        SendPasteKeys();
        bool read = PumpUntil(
            [&] { return source->DataRequests() != requestsBefore || !IsWindow(target.window); },
            options.readLimitMs);
        if (!read || source->DataRequests() == requestsBefore) {
            TraceDeliverySkipped("paste", "the window did not read the clipboard in time");
        }
        // The target holds the clipboard open while it reads; the restore waits for it to close.
        if (!earlier.Restore()) {
            // The phrase is put back whole rather than leaving an empty or partial clipboard.
            if (FAILED(source->SetClipboard())) {
                TraceDeliverySkipped("paste", "the clipboard stayed busy; nothing was put back");
            } else {
                TraceDeliverySkipped("paste", "the earlier content could not be put back");
            }
        }
    } catch (const std::exception& e) {
        TraceDeliverySkipped("paste", e.what());
    }
}

} // namespace brevicor
