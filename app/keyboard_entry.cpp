#include "app/keyboard_entry.h"

#include "app/app_state.h"
#include "app/tray_menu.h"
#include "framework/message_box.h"

namespace brevicor {

namespace {

constexpr int kHotkeyId = 1;

UINT OpenMenuMessage() {
    static const UINT message = RegisterWindowMessageA(kOpenMenuMessageName);
    return message;
}

} // namespace

std::string HotkeyUnavailableMessage(const Hotkey& hotkey) {
    return "The hotkey " + HotkeyName(hotkey) +
           " is in use by another program, so Brevicor cannot use it.\n"
           "The phrase menu still opens from the tray icon. To choose another key, click the "
           "tray icon and open Toolbox, Settings...";
}

KeyboardEntry& KeyboardEntry::Instance() {
    static KeyboardEntry entry;
    return entry;
}

KeyboardEntry::~KeyboardEntry() {
    Stop();
}

bool KeyboardEntry::EnsureWindow() {
    if (m_window != nullptr) {
        return true;
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kKeyboardEntryClass;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
    // A hidden top-level window rather than a message-only one, so that FindWindow finds it.
    m_window = CreateWindowExA(WS_EX_TOOLWINDOW, kKeyboardEntryClass, "Brevicor", WS_POPUP, 0, 0, 0,
                               0, nullptr, nullptr, module, nullptr);
    return m_window != nullptr;
}

bool KeyboardEntry::Apply(const Hotkey& hotkey) {
    if (!EnsureWindow()) {
        m_hotkey = hotkey;
        m_active = false;
        return hotkey.IsNone();
    }
    if (m_active && hotkey == m_hotkey) {
        return true;
    }
    if (m_active) {
        UnregisterHotKey(m_window, kHotkeyId);
        m_active = false;
    }
    m_hotkey = hotkey;
    if (hotkey.IsNone()) {
        return true;
    }
    m_active = RegisterHotKey(m_window, kHotkeyId, hotkey.modifiers, hotkey.key) != FALSE;
    if (!m_active) {
        AppMessageBox(HotkeyUnavailableMessage(hotkey));
    }
    return m_active;
}

void KeyboardEntry::Stop() {
    if (m_window == nullptr) {
        return;
    }
    if (m_active) {
        UnregisterHotKey(m_window, kHotkeyId);
        m_active = false;
    }
    DestroyWindow(m_window);
    m_window = nullptr;
}

LRESULT CALLBACK KeyboardEntry::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotkeyId) {
        OpenTrayMenuForTyping(TrayMenuPlace::AtCaret);
        return 0;
    }
    if (message == OpenMenuMessage() && message != 0) {
        OpenTrayMenuForTyping(TrayMenuPlace::AtPointer);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace brevicor
