// Access table definitions (COUNTER, TEXT(n), MEMO, LONG, CONSTRAINT ... PRIMARY KEY), as
// Windows' Access driver takes them, turned into the library's own table form: text that
// compares ignoring case, byte limits the driver reports as 22001, an AutoNumber that never
// hands out a deleted value again. One schema text then serves both platforms.
#pragma once

#include <string>

namespace brevicor::engine {

struct AccessDdl {
    enum class Kind {
        Unchanged,  // not a table definition in the Access form: run the text as it is
        Translated, // `text` is the library's form of the definition
        Refused,    // an Access definition the library cannot hold; `text` says why
    };
    Kind kind = Kind::Unchanged;
    std::string text;
};

// Looks at one statement (comments and a final ';' allowed).
AccessDdl translate_access_ddl(const std::string& sql);

} // namespace brevicor::engine
