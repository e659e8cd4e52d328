// Case-insensitive text comparison for Windows-1252 text, as the library file's users expect:
// "é" equals "É", "Œ" equals "œ" and so on.
#pragma once

#include "fold_1252.hpp"

#include <sqlite3.h>

#include <string_view>

namespace brevicor::engine {

// Orders two byte strings by their folded bytes (<0, 0, >0).
int compare_folded(std::string_view a, std::string_view b);

// SQL LIKE under the same rule: `%` matches any run of bytes, `_` one byte, other bytes
// match their folded equals (é = É, but é is not è). `escape` (a byte, or -1 for none) makes
// the byte after it literal.
bool like_match(std::string_view text, std::string_view pattern, int escape);

// The library schema declares its text columns COLLATE NOCASE, which any SQLite tool
// understands (ASCII folding only). On our own connections NOCASE is replaced by the
// Windows-1252 folding above. The one index on text columns (see keep_phrase_index) is ordered
// by this rule; the function its triggers call is registered here too, so that a connection
// without this rule cannot write to it. LIKE is replaced the same way
// (SQLite's own folds ASCII only and reads the bytes as UTF-8, taking every accented
// Windows-1252 letter for the same one). Returns an SQLite result code.
int register_text_collation(sqlite3* db);

} // namespace brevicor::engine
