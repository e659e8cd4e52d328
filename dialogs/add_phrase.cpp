#include "dialogs/add_phrase.h"

#include "dialogs/control_text.h"
#include "framework/message_box.h"
#include "framework/win32_list_controls.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/phrase_queries.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CAddPhrase, CDialog)

const MessageMapEntry CAddPhrase::messageEntries[] = {
    MapCommand<&CAddPhrase::OnAddPhrase>(IDOK, BN_CLICKED),
};
const MessageMap CAddPhrase::messageMap{&CDialog::messageMap, CAddPhrase::messageEntries};

CAddPhrase::CAddPhrase(CWnd* parent) : CDialog(IDD_ADD_PHRASE, parent) {}

void CAddPhrase::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_CATEGORY_COMBO, m_categoryCombo);
    DDX_Control(exchange, IDC_NEW_SHORTCUT_EDIT, m_shortcutEdit);
    DDX_Control(exchange, IDC_NEW_CONTENT_EDIT, m_contentEdit);
}

BOOL CAddPhrase::OnInitDialog() {
    CDialog::OnInitDialog();
    // The category list as last loaded: adding a phrase never changes the categories.
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    FillCategoryCombo(categories);
    categories.SetCurSel(0);
    m_shortcutEdit.SetWindowText(NextShortcutName());
    return TRUE; // the focus goes to the first control, "Add Phrase"
}

void CAddPhrase::OnAddPhrase() {
    std::string shortcut = ReadControlText(m_shortcutEdit.GetSafeHwnd(), kShortcutMaxChars);
    std::string content = ReadControlText(m_contentEdit.GetSafeHwnd(), kContentMaxChars);
    if (shortcut.empty()) {
        AppMessageBox("Please enter a Shortcut name", MB_OK | MB_ICONWARNING);
        return;
    }
    if (content.empty() && AppMessageBox("Content is Empty. Do you really want to save?",
                                         MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    if (!ConfirmStored(AddPhrase(categories, shortcut, content), "The phrase was not added.")) {
        return; // the dialog keeps the shortcut and the text for another try
    }
    if (AppMessageBox("Phrase added successfully, would you like to add another one?",
                      MB_YESNO | MB_ICONWARNING) != IDYES) {
        EndDialog(IDOK);
        return;
    }
    // The next default name already counts the row just added; the category stays chosen.
    m_shortcutEdit.SetWindowText(NextShortcutName());
    m_contentEdit.SetWindowText("");
}

} // namespace brevicor
