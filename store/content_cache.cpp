#include "store/category_list.h"

#include "store/odbc_session.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <array>

namespace brevicor {

namespace {

// Indexed directly by PhraseID. Slots are only ever overwritten: a deleted phrase keeps its
// text, unreachable because its menu item is gone.
std::array<std::string, kContentCacheSize> g_contentCache;

} // namespace

int LoadContentCache() {
    StoreOperation op(FormatStatement("SELECT content , PhraseID FROM %s", "phrase"));
    if (!op.HasStatement()) {
        return 0;
    }
    op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
    op.BindColumn(2, g_columnBuffer2, &g_columnIndicator2);
    int rows = 0;
    while (op.FetchRow()) {
        ++rows;
        std::string content = ColumnText(g_columnBuffer1, g_columnIndicator1);
        if (content.empty()) {
            continue;
        }
        int phraseId = ParseDecimal(ColumnText(g_columnBuffer2, g_columnIndicator2));
        if (phraseId >= 0 && phraseId < kContentCacheSize) {
            g_contentCache[static_cast<size_t>(phraseId)] = std::move(content);
        }
    }
    return rows;
}

std::string LookupCachedContent(int phraseId) {
    if (phraseId < 0 || phraseId >= kContentCacheSize) {
        return {};
    }
    return g_contentCache[static_cast<size_t>(phraseId)];
}

} // namespace brevicor
