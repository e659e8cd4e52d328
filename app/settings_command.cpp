#include "app/settings_command.h"

#include "app/keyboard_entry.h"
#include "app/settings_store.h"
#include "dialogs/settings_dialog.h"
#include "framework/message_box.h"

#include <string>

namespace brevicor {

namespace {

std::string RefusalFor(WORD controlValue) {
    if (IsUsableHotkey(FromHotkeyControlValue(controlValue))) {
        return {};
    }
    return "Please choose a key together with Ctrl or Alt (a function key may stand alone), "
           "or press Backspace for None.";
}

} // namespace

const char* HotkeyStatusText(bool none, bool active) {
    if (none) {
        return "No hotkey: the phrase menu opens from the tray icon.";
    }
    return active ? "The hotkey is active."
                  : "The hotkey is not active: another program is using it. Choose another key.";
}

void RunSettingsDialog() {
    Settings stored = LoadSettings();
    KeyboardEntry& entry = KeyboardEntry::Instance();
    bool active = entry.HotkeyActive() && entry.CurrentHotkey() == stored.hotkey;

    SettingsChoice choice{ToHotkeyControlValue(stored.hotkey), stored.pasteIntoPreviousWindow,
                          stored.keepPhraseOnClipboard};
    CSettingsDlg dialog(choice, HotkeyStatusText(stored.hotkey.IsNone(), active), &RefusalFor);
    if (dialog.DoModal() != IDOK) {
        return;
    }
    Settings chosen;
    chosen.hotkey = FromHotkeyControlValue(dialog.Choice().hotkey);
    // The hotkey control has no Windows key: a stored key with it is kept while it is shown
    // unchanged.
    if (ToHotkeyControlValue(stored.hotkey) == dialog.Choice().hotkey) {
        chosen.hotkey = stored.hotkey;
    }
    chosen.pasteIntoPreviousWindow = dialog.Choice().paste;
    chosen.keepPhraseOnClipboard = dialog.Choice().keep;
    if (!SaveSettings(chosen)) {
        AppMessageBox("Brevicor could not save its settings; they apply until it ends.");
    }
    entry.Apply(chosen.hotkey);
}

} // namespace brevicor
