#include "store/category_list.h"

#include "store/odbc_session.h"
#include "store/phrase_menu_ids.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

namespace brevicor {

void BuildCategoryMenus(PopupMenuControl& popup) {
    // Identifiers of large PhraseIDs are handed out afresh for every menu.
    TrayMenuPhraseIds().Clear();
    const std::vector<std::string>& names = CategoryList();
    for (size_t i = 0; i < names.size(); ++i) {
        std::unique_ptr<PopupMenuControl> submenu = popup.CreateEmptyPopup();
        bool hasItems = submenu && FillCategorySubmenu(*submenu, names[i]) > 0;
        // A category without phrase items is a plain item; its empty popup goes at once.
        popup.InsertItem(static_cast<int>(i), names[i], static_cast<unsigned>(i),
                         hasItems ? std::move(submenu) : nullptr);
    }
}

int FillCategorySubmenu(PopupMenuControl& popup, const std::string& category) {
    StoreOperation op(
        FormatStatement("SELECT code, PhraseID FROM %s WHERE category = '%s' ORDER BY code ASC",
                        "phrase", QuoteLiteral(category).c_str()));
    if (!op.HasStatement()) {
        return 0;
    }
    op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
    op.BindColumn(2, g_columnBuffer2, &g_columnIndicator2);
    int added = 0;
    while (op.FetchRow()) {
        std::string code = ColumnText(g_columnBuffer1, g_columnIndicator1);
        if (code.empty()) {
            continue;
        }
        int phraseId = ParseDecimal(ColumnText(g_columnBuffer2, g_columnIndicator2));
        std::optional<unsigned> id = TrayMenuPhraseIds().IdForPhrase(phraseId);
        if (!id) {
            continue; // every free identifier is taken; the phrase gets no item
        }
        popup.AppendItem(code, *id);
        ++added;
    }
    return added;
}

} // namespace brevicor
