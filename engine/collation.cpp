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

// Whether the text holds a letter that our rule folds and SQLite's NOCASE does not.
bool folds_beyond_ascii(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && fold_1252(byte) != byte) {
            return true;
        }
    }
    return false;
}

void folds_beyond_ascii_function(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_int(context, sqlite3_value_type(argv[0]) == SQLITE_TEXT &&
                                    folds_beyond_ascii(bytes_of(argv[0])));
}

// Called by the phrase index's triggers: it exists only on connections that also have the
// engine's text rule. Notes a category the shell's rule would order differently.
void note_category(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && folds_beyond_ascii(bytes_of(argv[0]))) {
        *static_cast<bool*>(sqlite3_user_data(context)) = true;
    }
    sqlite3_result_null(context);
}

void take_category_note(sqlite3_context* context, int, sqlite3_value**) {
    bool& noted = *static_cast<bool*>(sqlite3_user_data(context));
    sqlite3_result_int(context, noted ? 1 : 0);
    noted = false;
}

void delete_note(void* note) {
    delete static_cast<bool*>(note);
}
} // namespace

int register_text_collation(sqlite3* db) {
    int rc = sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, &collate);
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function(db, "brevicor_folds_beyond_ascii", 1,
                                     SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     &folds_beyond_ascii_function, nullptr, nullptr);
    }
    // One note per connection, shared by the two functions; the connection deletes it.
    bool* note = new bool(false);
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function_v2(db, "brevicor_take_category_note", 0, SQLITE_UTF8, note,
                                        &take_category_note, nullptr, nullptr, &delete_note);
    } else {
        delete note;
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function(db, "only_the_brevicor_driver_writes_category", 1, SQLITE_UTF8,
                                     note, &note_category, nullptr, nullptr);
    }
    for (int args = 2; rc == SQLITE_OK && args <= 3; ++args) {
        rc = sqlite3_create_function(db, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     &like, nullptr, nullptr);
    }
    return rc;
}

} // namespace brevicor::engine
