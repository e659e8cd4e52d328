#include "dialogs/category_dlg.h"

#include "dialogs/control_text.h"
#include "framework/message_box.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/phrase_queries.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CCategoryDlg, CDialog)

const MessageMapEntry CCategoryDlg::messageEntries[] = {
    MapCommand<&CCategoryDlg::OnAddCategory>(IDOK, BN_CLICKED),
};
const MessageMap CCategoryDlg::messageMap{&CDialog::messageMap, CCategoryDlg::messageEntries};

CCategoryDlg::CCategoryDlg(CWnd* parent) : CDialog(IDD_ADD_CATEGORY, parent) {}

void CCategoryDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_CATEGORY_NAME_EDIT, m_nameEdit);
}

void CCategoryDlg::OnAddCategory() {
    std::string name = ReadWholeControlText(m_nameEdit.GetSafeHwnd());
    bool close = false;
    if (CountPhrasesInCategory(name) != 0) {
        AppMessageBox("Category already in database, please select another name",
                      MB_OK | MB_ICONINFORMATION);
    } else if (ConfirmStored(AddCategory(name), "The category was not added.")) {
        close = AppMessageBox("Category added Successfully. Would you like to add another one?",
                              MB_YESNO | MB_ICONQUESTION) != IDYES;
    }
    // Whatever happened, the category list follows the library again.
    LoadCategoryList();
    if (close) {
        EndDialog(IDOK);
    }
}

} // namespace brevicor
