#include "collation.hpp"

#include <algorithm>

namespace brevicor::engine {

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

bool like_match(std::string_view text, std::string_view pattern, int escape) {
    // Iterative match that backtracks to the last '%' only: linear in practice, never
    // exponential however many '%' the pattern holds.
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t star_p = std::string_view::npos;
    std::size_t star_t = 0;
    const auto same = [](char a, char b) {
        return fold_1252(static_cast<unsigned char>(a)) == fold_1252(static_cast<unsigned char>(b));
    };
    const auto is_escape = [escape](char c) {
        return escape >= 0 && static_cast<unsigned char>(c) == escape;
    };
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '%' && !is_escape('%')) {
            star_p = ++p;
            star_t = t;
            continue;
        }
        if (p < pattern.size()) {
            char pc = pattern[p];
            std::size_t width = 1;
            bool literal = false;
            if (is_escape(pc) && p + 1 < pattern.size()) {
                pc = pattern[p + 1];
                width = 2;
                literal = true;
            }
            if ((!literal && pc == '_') || same(pc, text[t])) {
                p += width;
                ++t;
                continue;
            }
        }
        if (star_p == std::string_view::npos) {
            return false;
        }
        p = star_p;
        t = ++star_t;
    }
    while (p < pattern.size() && pattern[p] == '%') {
        ++p;
    }
    return p == pattern.size();
}

namespace {
int collate(void*, int la, const void* a, int lb, const void* b) {
    return compare_folded(std::string_view(static_cast<const char*>(a), static_cast<size_t>(la)),
                          std::string_view(static_cast<const char*>(b), static_cast<size_t>(lb)));
}

std::string_view bytes_of(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return {p != nullptr ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v))};
}

// like(pattern, text [, escape]): what SQLite calls for "text LIKE pattern [ESCAPE e]".
void like(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    int escape = -1;
    if (argc == 3) {
        const std::string_view e = bytes_of(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = static_cast<unsigned char>(e[0]);
    }
    const std::string_view pattern = bytes_of(argv[0]);
    const std::string_view text = bytes_of(argv[1]);
    sqlite3_result_int(context, like_match(text, pattern, escape) ? 1 : 0);
}

// Called by the triggers that keep the phrase index's order: it exists only on connections
// that also have the engine's text rule, and does nothing there.
void text_rule_present(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_null(context);
}
} // namespace

int register_text_collation(sqlite3* db) {
    int rc = sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, &collate);
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function(db, "only_the_brevicor_driver_writes_category", 0,
                                     SQLITE_UTF8, nullptr, &text_rule_present, nullptr, nullptr);
    }
    for (int args = 2; rc == SQLITE_OK && args <= 3; ++args) {
        rc = sqlite3_create_function(db, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     &like, nullptr, nullptr);
    }
    return rc;
}

} // namespace brevicor::engine
