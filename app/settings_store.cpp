#include "app/settings_store.h"

#include <commctrl.h>

#include <optional>

namespace brevicor {

namespace {

constexpr UINT kModifierFlags = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

bool IsModifierKey(UINT key) {
    switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
        return true;
    default:
        return false;
    }
}

bool IsFunctionKey(UINT key) {
    return key >= VK_F1 && key <= VK_F24;
}

// Closes the key it was given.
class RegistryKey {
public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY Get() const { return m_key; }

private:
    HKEY m_key;
};

// A REG_DWORD of exactly four bytes; anything else is no value.
std::optional<DWORD> ReadDword(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

bool ReadFlag(HKEY key, const char* name, bool fallback) {
    std::optional<DWORD> value = ReadDword(key, name);
    if (!value || *value > 1) {
        return fallback;
    }
    return *value == 1;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

std::string KeyName(UINT key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return std::string(1, static_cast<char>(key));
    }
    if (IsFunctionKey(key)) {
        char name[8];
        wsprintfA(name, "F%u", key - VK_F1 + 1);
        return name;
    }
    switch (key) {
    case VK_SPACE:
        return "Space";
    case VK_INSERT:
        return "Insert";
    case VK_DELETE:
        return "Delete";
    case VK_HOME:
        return "Home";
    case VK_END:
        return "End";
    case VK_PRIOR:
        return "Page Up";
    case VK_NEXT:
        return "Page Down";
    case VK_LEFT:
        return "Left";
    case VK_RIGHT:
        return "Right";
    case VK_UP:
        return "Up";
    case VK_DOWN:
        return "Down";
    default:
        break;
    }
    // Punctuation and the rest: the keyboard layout's own name for the key.
    LONG scan = static_cast<LONG>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    char name[64] = {};
    if (scan != 0 && GetKeyNameTextA(scan, name, sizeof(name)) > 0) {
        return name;
    }
    char code[16];
    wsprintfA(code, "Key %u", key);
    return code;
}

} // namespace

bool IsUsableHotkey(const Hotkey& hotkey) {
    if (hotkey.IsNone()) {
        return hotkey.modifiers == 0;
    }
    if (hotkey.key > 0xFE || IsModifierKey(hotkey.key) || (hotkey.modifiers & ~kModifierFlags)) {
        return false;
    }
    return (hotkey.modifiers & (MOD_CONTROL | MOD_ALT | MOD_WIN)) != 0 || IsFunctionKey(hotkey.key);
}

std::string HotkeyName(const Hotkey& hotkey) {
    if (hotkey.IsNone()) {
        return "None";
    }
    std::string name;
    if (hotkey.modifiers & MOD_CONTROL) {
        name += "Ctrl+";
    }
    if (hotkey.modifiers & MOD_ALT) {
        name += "Alt+";
    }
    if (hotkey.modifiers & MOD_SHIFT) {
        name += "Shift+";
    }
    if (hotkey.modifiers & MOD_WIN) {
        name += "Win+";
    }
    name.append(KeyName(hotkey.key));
    return name;
}

WORD ToHotkeyControlValue(const Hotkey& hotkey) {
    BYTE flags = 0;
    if (hotkey.modifiers & MOD_SHIFT) {
        flags |= HOTKEYF_SHIFT;
    }
    if (hotkey.modifiers & MOD_CONTROL) {
        flags |= HOTKEYF_CONTROL;
    }
    if (hotkey.modifiers & MOD_ALT) {
        flags |= HOTKEYF_ALT;
    }
    return MAKEWORD(static_cast<BYTE>(hotkey.key), flags);
}

Hotkey FromHotkeyControlValue(WORD value) {
    Hotkey hotkey;
    hotkey.key = LOBYTE(value);
    BYTE flags = HIBYTE(value);
    if (hotkey.key == 0) {
        return {};
    }
    if (flags & HOTKEYF_SHIFT) {
        hotkey.modifiers |= MOD_SHIFT;
    }
    if (flags & HOTKEYF_CONTROL) {
        hotkey.modifiers |= MOD_CONTROL;
    }
    if (flags & HOTKEYF_ALT) {
        hotkey.modifiers |= MOD_ALT;
    }
    return hotkey;
}

Settings LoadSettings() {
    Settings settings;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS) {
        return settings;
    }
    RegistryKey key(opened);
    if (std::optional<DWORD> value = ReadDword(key.Get(), kHotkeyValue)) {
        Hotkey stored{HIWORD(*value), LOWORD(*value)};
        if (IsUsableHotkey(stored)) {
            settings.hotkey = stored;
        }
    }
    settings.pasteIntoPreviousWindow =
        ReadFlag(key.Get(), kPasteValue, settings.pasteIntoPreviousWindow);
    settings.keepPhraseOnClipboard =
        ReadFlag(key.Get(), kKeepValue, settings.keepPhraseOnClipboard);
    return settings;
}

bool SaveSettings(const Settings& settings) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegistryKey key(created);
    bool written = WriteDword(key.Get(), kHotkeyValue,
                              MAKELONG(settings.hotkey.key, settings.hotkey.modifiers));
    written =
        WriteDword(key.Get(), kPasteValue, settings.pasteIntoPreviousWindow ? 1 : 0) && written;
    written = WriteDword(key.Get(), kKeepValue, settings.keepPhraseOnClipboard ? 1 : 0) && written;
    return written;
}

} // namespace brevicor
