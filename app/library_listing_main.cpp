// brevicor.exe, console edition: opens database\phrases.mdb under the folder it was started
// in, with the program's own connection string, and lists every category with its phrases.
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// The first line of a phrase, shortened for a one-line listing.
std::string Preview(std::string text) {
    text = brevicor::DecodeApostrophes(text);
    size_t end = text.find_first_of("\r\n");
    bool cut = end != std::string::npos;
    if (text.size() > 60) {
        end = std::min(end, size_t{60});
        cut = true;
    }
    return cut ? text.substr(0, end) + "..." : text;
}

} // namespace

int main() {
    using namespace brevicor;
    int rows = 0;
    {
        StoreOperation op(
            "SELECT category, code, content FROM phrase ORDER BY category ASC, code ASC");
        if (!op.Executed()) {
            std::fprintf(stderr, "brevicor: the phrase library could not be opened: %s\n",
                         LastDriverMessage().c_str());
            return 1;
        }
        op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
        op.BindColumn(2, g_columnBuffer2, &g_columnIndicator2);
        static char content[kColumnBufferSize];
        SQLLEN contentIndicator = 0;
        op.BindColumn(3, content, &contentIndicator);
        std::string category;
        bool first = true;
        while (op.FetchRow()) {
            ++rows;
            std::string rowCategory = ColumnText(g_columnBuffer1, g_columnIndicator1);
            if (first || rowCategory != category) {
                std::printf("%s\n", rowCategory.c_str());
                category = rowCategory;
                first = false;
            }
            std::string code = ColumnText(g_columnBuffer2, g_columnIndicator2);
            if (!code.empty()) {
                std::printf("    %-20s %s\n", code.c_str(),
                            Preview(ColumnText(content, contentIndicator)).c_str());
            }
        }
    }
    std::printf("%d rows in the phrase library.\n", rows);
    return 0;
}
