#include "store/category_list.h"

#include "store/odbc_session.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <vector>

namespace brevicor {

void FillCodeCombo(ComboBoxControl& combo, const std::string& category) {
    // Emptied first, so the box ends empty when the library can't be reached.
    combo.ResetContent();
    {
        StoreOperation op(FormatStatement("SELECT code FROM %s WHERE category = '%s'", "phrase",
                                          QuoteLiteral(category).c_str()));
        if (op.HasStatement()) {
            op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
            while (op.FetchRow()) {
                std::string code = ColumnText(g_columnBuffer1, g_columnIndicator1);
                if (!code.empty()) {
                    combo.AppendItem(code);
                }
            }
        }
    }
    combo.SetCurSel(0);
}

void FillCodeComboAndContent(ComboBoxControl& combo, TextBoxControl& content,
                             const std::string& category) {
    combo.ResetContent();
    {
        StoreOperation op(FormatStatement("SELECT code, content FROM %s  WHERE category = '%s'",
                                          "phrase", QuoteLiteral(category).c_str()));
        if (op.HasStatement()) {
            // Column 2 has a buffer of its own: the shared second buffer belongs to the
            // statements that read two short columns.
            std::vector<char> contentBuffer(kColumnBufferSize);
            SQLLEN contentIndicator = 0;
            op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
            op.BindColumn(2, contentBuffer.data(), &contentIndicator);
            while (op.FetchRow()) {
                // Empty codes too: the editor lists a placeholder row as an empty entry.
                combo.AppendItem(ColumnText(g_columnBuffer1, g_columnIndicator1));
                content.SetText(ColumnText(contentBuffer.data(), contentIndicator));
            }
        }
    }
    combo.SetCurSel(0);
}

} // namespace brevicor
