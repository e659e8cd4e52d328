#include "store/category_list.h"

#include "store/odbc_session.h"
#include "store/store_buffers.h"

#include <new>

namespace brevicor {

namespace {

constexpr char kCategoryQuery[] = "SELECT DISTINCT category FROM %s ORDER BY category ASC";

std::vector<std::string> g_categoryList;

} // namespace

const std::vector<std::string>& CategoryList() {
    return g_categoryList;
}

bool LoadCategoryList() {
    // First run: count the names and size the list to exactly that many.
    size_t count = 0;
    bool read = false;
    {
        StoreOperation op(FormatStatement(kCategoryQuery, "phrase"));
        if (!op.HasStatement()) {
            return false; // no library: the list keeps what it held
        }
        read = op.Executed();
        op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
        while (op.FetchRow()) {
            ++count;
        }
        g_categoryList.clear();
        g_categoryList.shrink_to_fit();
        try {
            g_categoryList.resize(count);
        } catch (const std::bad_alloc&) {
            g_categoryList.clear();
            return read;
        }
    }
    // Second run: copy the names into the slots, never past the count of the first run.
    StoreOperation op(FormatStatement(kCategoryQuery, "phrase"));
    if (!op.HasStatement()) {
        return false;
    }
    op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
    for (size_t slot = 0; slot < count && op.FetchRow(); ++slot) {
        g_categoryList[slot] = ColumnText(g_columnBuffer1, g_columnIndicator1);
    }
    // Both runs must have read the library: a lock taken in between fails the second.
    return read && op.Executed();
}

void FillCategoryCombo(ComboBoxControl& combo) {
    combo.ResetContent();
    for (const std::string& name : g_categoryList) {
        combo.AppendItem(name);
    }
    combo.SetCurSel(0);
}

} // namespace brevicor
