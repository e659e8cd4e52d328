#pragma once

#include <windows.h>

#include <string>

// The user's settings, kept per user under HKEY_CURRENT_USER\Software\Brevicor: the hotkey that
// opens the tray menu where the user types, and how a phrase chosen from that menu is handed
// over. A value that is missing, of another type or out of range reads as its default.
namespace brevicor {

inline constexpr char kSettingsKey[] = "Software\\Brevicor";
inline constexpr char kHotkeyValue[] = "Hotkey"; // REG_DWORD: MAKELONG(virtual key, MOD_ flags)
inline constexpr char kPasteValue[] = "PasteIntoPreviousWindow"; // REG_DWORD 0 or 1
inline constexpr char kKeepValue[] = "KeepPhraseOnClipboard";    // REG_DWORD 0 or 1

// A key with RegisterHotKey's modifier flags (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN); key 0
// is "None".
struct Hotkey {
    UINT modifiers = 0;
    UINT key = 0;

    bool IsNone() const { return key == 0; }
    bool operator==(const Hotkey&) const = default;
};

inline constexpr Hotkey kDefaultHotkey{MOD_CONTROL | MOD_ALT, VK_SPACE};

struct Settings {
    Hotkey hotkey = kDefaultHotkey;
    bool pasteIntoPreviousWindow = true;
    bool keepPhraseOnClipboard = false;

    bool operator==(const Settings&) const = default;
};

// A hotkey the program accepts: "None", or a key that is not itself a modifier, held with
// Ctrl, Alt or the Windows key (a function key may stand alone), with no other flag bits. A
// plain letter would take that letter away from every program.
bool IsUsableHotkey(const Hotkey& hotkey);

// "Ctrl+Alt+Space", "Ctrl+Shift+F9", "None".
std::string HotkeyName(const Hotkey& hotkey);

// The hotkey control's value (HKM_GETHOTKEY: key in the low byte, HOTKEYF_ flags in the high
// byte) and back.
WORD ToHotkeyControlValue(const Hotkey& hotkey);
Hotkey FromHotkeyControlValue(WORD value);

// Reads the settings; every value that is missing or damaged is its default.
Settings LoadSettings();

// Writes every value, so that a damaged one is replaced. False when the registry refused.
bool SaveSettings(const Settings& settings);

} // namespace brevicor
