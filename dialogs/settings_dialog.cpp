#include "dialogs/settings_dialog.h"

#include "framework/message_box.h"
#include "res/resource.h"

#include <commctrl.h>

#include <utility>

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CSettingsDlg, CDialog)

CSettingsDlg::CSettingsDlg(SettingsChoice initial, std::string status,
                           std::function<std::string(WORD)> refusal)
    : CDialog(IDD_SETTINGS, nullptr), m_choice(initial), m_status(std::move(status)),
      m_refusal(std::move(refusal)) {}

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND dialog = GetSafeHwnd();
    SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETHOTKEY, m_choice.hotkey, 0);
    CheckDlgButton(dialog, IDC_PASTE_CHECK, m_choice.paste ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_KEEP_CHECK, m_choice.keep ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_HOTKEY_STATUS, m_status.c_str());
    CenterWindow();
    return TRUE; // the focus goes to the hotkey, the first control
}

void CSettingsDlg::OnOK() {
    HWND dialog = GetSafeHwnd();
    SettingsChoice choice;
    choice.hotkey = static_cast<WORD>(SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
    choice.paste = IsDlgButtonChecked(dialog, IDC_PASTE_CHECK) == BST_CHECKED;
    choice.keep = IsDlgButtonChecked(dialog, IDC_KEEP_CHECK) == BST_CHECKED;
    if (std::string reason = m_refusal ? m_refusal(choice.hotkey) : std::string();
        !reason.empty()) {
        AppMessageBox(reason);
        ::SetFocus(GetDlgItem(IDC_HOTKEY));
        return;
    }
    m_choice = choice;
    CDialog::OnOK();
}

} // namespace brevicor
