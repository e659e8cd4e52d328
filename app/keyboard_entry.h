#pragma once

#include "app/settings_store.h"

#include <windows.h>

// The keyboard's way to the tray menu: the hotkey, and the requests of "brevicor.exe /menu".
// Both arrive at one hidden window of the running copy, which opens the tray menu where the
// user is typing.
namespace brevicor {

// The window class that a second copy started with /menu looks for.
inline constexpr char kKeyboardEntryClass[] = "BrevicorKeyboardEntry";
// The message it posts there: open the menu at the pointer.
inline constexpr char kOpenMenuMessageName[] = "Brevicor.OpenMenuAtPointer";

class KeyboardEntry {
public:
    static KeyboardEntry& Instance();

    ~KeyboardEntry();
    KeyboardEntry(const KeyboardEntry&) = delete;
    KeyboardEntry& operator=(const KeyboardEntry&) = delete;

    // Makes the window if there is none yet and registers this key in place of the current
    // one ("None" registers nothing). When another program holds the key, says so in one
    // message and runs on without a hotkey; returns false then.
    bool Apply(const Hotkey& hotkey);

    // Unregisters the hotkey and destroys the window.
    void Stop();

    const Hotkey& CurrentHotkey() const { return m_hotkey; }
    // The current key is registered (false for "None").
    bool HotkeyActive() const { return m_active; }

private:
    KeyboardEntry() = default;
    bool EnsureWindow();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    Hotkey m_hotkey{};
    bool m_active = false;
};

// The text shown when a key cannot be registered: names the key and says how to choose another.
std::string HotkeyUnavailableMessage(const Hotkey& hotkey);

} // namespace brevicor
