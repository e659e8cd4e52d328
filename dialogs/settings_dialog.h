#pragma once

#include "framework/dialog.h"

#include <functional>
#include <string>

// "Brevicor Settings": the hotkey that opens the tray menu where the user types, whether a
// phrase chosen there is pasted into that window, and whether it stays on the clipboard. The
// dialog only shows and collects the choice; its caller stores and applies it.
namespace brevicor {

struct SettingsChoice {
    WORD hotkey = 0; // the hotkey control's value: key in the low byte, HOTKEYF_ flags high
    bool paste = true;
    bool keep = false;
};

class CSettingsDlg : public CDialog {
    DECLARE_RUNTIME_CLASS(CSettingsDlg)
public:
    // `status` is shown under the hotkey (whether it is active); `refusal` gives the reason a
    // hotkey cannot be taken, or an empty text when it can.
    CSettingsDlg(SettingsChoice initial, std::string status,
                 std::function<std::string(WORD)> refusal);

    BOOL OnInitDialog() override;
    // Takes the controls' values; a hotkey that is refused keeps the dialog open.
    void OnOK() override;

    const SettingsChoice& Choice() const { return m_choice; }

private:
    SettingsChoice m_choice;
    std::string m_status;
    std::function<std::string(WORD)> m_refusal;
};

} // namespace brevicor
