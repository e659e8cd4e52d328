// The phrase editor: the handlers of the main dialog class's controls, used when "Edit phrase"
// runs it modally. The opening fill is the class's initialisation, in app/lorvel_dlg.cpp.
#include "app/lorvel_dlg.h"
#include "dialogs/add_phrase.h"
#include "dialogs/control_text.h"
#include "framework/message_box.h"
#include "framework/win32_list_controls.h"
#include "store/category_list.h"
#include "store/phrase_queries.h"

namespace brevicor {

void CLorvelDlg::OnCategorySelChange() {
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    Win32ComboBox phrases(m_phraseCombo.GetSafeHwnd());
    std::string category = categories.SelectedText();
    FillCodeCombo(phrases, category);
    Win32TextBox(m_contentEdit.GetSafeHwnd())
        .SetText(GetContentByCategoryAndCode(category, phrases.SelectedText()));
}

void CLorvelDlg::OnPhraseSelChange() {
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    Win32ComboBox phrases(m_phraseCombo.GetSafeHwnd());
    // Within the selected category: the same shortcut may name a phrase of another one.
    Win32TextBox(m_contentEdit.GetSafeHwnd())
        .SetText(GetContentByCategoryAndCode(categories.SelectedText(), phrases.SelectedText()));
}

void CLorvelDlg::OnSave() {
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    Win32ComboBox phrases(m_phraseCombo.GetSafeHwnd());
    std::string content = ReadControlText(m_contentEdit.GetSafeHwnd(), kContentMaxChars);
    // Only the selected phrase changes. The content cache keeps the old text until the editor
    // next opens, which reloads it.
    if (!ConfirmStored(UpdatePhraseContentInCategory(categories.SelectedText(),
                                                     phrases.SelectedText(), content),
                       "The phrase was not saved.")) {
        return; // the editor stays open with the text as typed
    }
    EndDialog(IDOK);
}

void CLorvelDlg::OnDeletePhrase() {
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    Win32ComboBox phrases(m_phraseCombo.GetSafeHwnd());
    Win32TextBox content(m_contentEdit.GetSafeHwnd());

    DeleteResult deleted = DeletePhrase(categories.SelectedText(), phrases.SelectedText());
    if (!ConfirmStored(deleted.write, "The phrase was not deleted.")) {
        return; // nothing changed: the lists stay as the user left them
    }
    if (deleted.rowsLeft < 1) {
        AppMessageBox("There is no phrase in the database", MB_OK | MB_ICONINFORMATION);
    } else {
        phrases.SetCurSel(0);
    }
    // The lists start again from the first category, whichever one held the phrase.
    LoadCategoryList();
    FillCategoryCombo(categories);
    categories.SetCurSel(0);
    std::string firstCategory = categories.GetItemText(0);
    FillCodeComboAndContent(phrases, content, firstCategory);
    phrases.SetCurSel(0);
    content.SetText(GetContentByCategoryAndCode(firstCategory, phrases.GetItemText(0)));
}

void CLorvelDlg::OnAddNewPhrase() {
    // The editor's lists are left as they are: a new phrase shows once the category selection
    // changes or the editor opens again.
    CAddPhrase dialog;
    dialog.DoModal();
}

} // namespace brevicor
