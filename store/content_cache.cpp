#include "store/content_cache.h"

#include "store/odbc_session.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace brevicor {

namespace {

struct CachedText {
    int phraseId;
    std::string content;
};

// Sorted by PhraseID and holding each one at most once. PhraseIDs are never reused and grow
// without bound, so a table of slots indexed by them would leave every later phrase out; a
// sorted vector costs one allocation per load and a binary search per lookup.
std::vector<CachedText> g_contentCache;

bool ByPhraseId(const CachedText& a, const CachedText& b) {
    return a.phraseId < b.phraseId;
}

} // namespace

int LoadContentCache() {
    StoreOperation op(FormatStatement("SELECT content , PhraseID FROM %s", "phrase"));
    if (!op.Executed()) {
        return 0; // a library that cannot be read leaves the texts shown so far
    }
    op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
    op.BindColumn(2, g_columnBuffer2, &g_columnIndicator2);
    std::vector<CachedText> loaded;
    loaded.reserve(g_contentCache.size());
    bool sorted = true;
    int rows = 0;
    while (op.FetchRow()) {
        ++rows;
        std::string content = ColumnText(g_columnBuffer1, g_columnIndicator1);
        if (content.empty()) {
            continue;
        }
        int phraseId = ParseDecimal(ColumnText(g_columnBuffer2, g_columnIndicator2));
        sorted = sorted && (loaded.empty() || loaded.back().phraseId < phraseId);
        loaded.push_back({phraseId, std::move(content)});
    }
    // The library hands rows out in PhraseID order; any other order is sorted once here.
    if (!sorted) {
        std::stable_sort(loaded.begin(), loaded.end(), &ByPhraseId);
        // A PhraseID is a key; should one still come twice, its first text is kept.
        loaded.erase(std::unique(loaded.begin(), loaded.end(),
                                 [](const CachedText& a, const CachedText& b) {
                                     return a.phraseId == b.phraseId;
                                 }),
                     loaded.end());
    }
    g_contentCache = std::move(loaded);
    return rows;
}

std::string LookupCachedContent(int phraseId) {
    auto found = std::lower_bound(g_contentCache.begin(), g_contentCache.end(),
                                  CachedText{phraseId, {}}, &ByPhraseId);
    if (found == g_contentCache.end() || found->phraseId != phraseId) {
        return {};
    }
    return found->content;
}

} // namespace brevicor
