#include "collation.hpp"

#include <algorithm>

namespace brevicor::engine {

unsigned char fold_1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + 0x20);
    }
    // À..Þ map to à..þ, except 0xD7 (×) whose slot partner 0xF7 is ÷, not a letter.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // Š
        return 0x9A;
    case 0x8C: // Œ
        return 0x9C;
    case 0x8E: // Ž
        return 0x9E;
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

int compare_folded(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int fa = fold_1252(static_cast<unsigned char>(a[i]));
        const int fb = fold_1252(static_cast<unsigned char>(b[i]));
        if (fa != fb) {
            return fa - fb;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

namespace {
int collate(void*, int la, const void* a, int lb, const void* b) {
    return compare_folded(std::string_view(static_cast<const char*>(a), static_cast<size_t>(la)),
                          std::string_view(static_cast<const char*>(b), static_cast<size_t>(lb)));
}
} // namespace

int register_text_collation(sqlite3* db) {
    return sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, &collate);
}

} // namespace brevicor::engine
