#include "app/library_dialogs.h"

#include "dialogs/about_box.h"
#include "dialogs/add_phrase.h"
#include "dialogs/category_dlg.h"
#include "dialogs/delete_category.h"
#include "dialogs/restore_phrases_dialog.h"

namespace brevicor {

// Each dialog lives only for its modal run; its result is not needed.

void RunAddPhraseDialog() {
    CAddPhrase dialog;
    dialog.DoModal();
}

void RunAddCategoryDialog() {
    CCategoryDlg dialog;
    dialog.DoModal();
}

void RunDeleteCategoryDialog() {
    CDeleteCategory dialog;
    dialog.DoModal();
}

void RunRestorePhrasesDialog() {
    CRestorePhrases dialog;
    dialog.DoModal();
}

void RunAboutBox() {
    CAboutBox box;
    box.DoModal();
}

} // namespace brevicor
