#include "dialogs/delete_category.h"

#include "dialogs/control_text.h"
#include "framework/message_box.h"
#include "framework/win32_list_controls.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/phrase_queries.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CDeleteCategory, CDialog)

const MessageMapEntry CDeleteCategory::messageEntries[] = {
    MapCommand<&CDeleteCategory::OnDeleteCategory>(IDOK, BN_CLICKED),
};
const MessageMap CDeleteCategory::messageMap{&CDialog::messageMap, CDeleteCategory::messageEntries};

CDeleteCategory::CDeleteCategory(CWnd* parent) : CDialog(IDD_DELETE_CATEGORY, parent) {}

void CDeleteCategory::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_DELETE_CATEGORY_COMBO, m_categoryCombo);
}

BOOL CDeleteCategory::OnInitDialog() {
    CDialog::OnInitDialog();
    RefillCategories();
    return TRUE;
}

void CDeleteCategory::RefillCategories() {
    LoadCategoryList();
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    FillCategoryCombo(categories);
    categories.SetCurSel(0);
}

void CDeleteCategory::OnDeleteCategory() {
    if (AppMessageBox("Are you sure you want to delete?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    if (!ConfirmStored(DeleteCategory(categories.SelectedText()),
                       "The category was not deleted.")) {
        return; // the list keeps the user's choice
    }
    RefillCategories();
}

} // namespace brevicor
