// Opening the library file and turning SQLite failures into ODBC diagnostics.
#pragma once

#include "sqlite_handle.hpp"

#include <string>

namespace brevicor::engine {

// How long a statement waits for another process's lock before failing with
// "database is locked"; short, because a tray utility must never appear to hang.
inline constexpr int kBusyTimeoutMs = 2000;

struct SqlFailure {
    std::string sqlstate;
    std::string message;
    int native = 0;
};

// Opens an existing library file. Never creates one. A file without any write permission
// bit is opened read-only (the Windows read-only attribute shows up that way), which also
// holds when the process could write it anyway (root). The connection comes with its PhraseID
// guard. Opening a library another program holds waits one busy timeout, not one per look at
// the schema. On failure returns null and fills `failure`.
SqliteDb open_existing_library(const std::string& path, SqlFailure& failure);

// Per-connection settings every tool touching a library needs (collation, busy timeout).
int configure_connection(sqlite3* db);

// PhraseID is an AutoNumber, a 32-bit number wherever the library is used: on the driver's
// connections a value outside that range is refused on write (22003), by temporary triggers
// that live with the connection and leave the file unchanged. Does nothing when the library
// has no phrase table.
void guard_phrase_ids(sqlite3* db);

// The tray menu asks for each category's phrases in code order, one statement per category.
// An index on category, ordered by the engine's own text rule, answers each with one seek and
// a sort of that category's rows instead of a scan of the whole table. Only category: rows
// that compare equal stay in PhraseID order there, so a query without ORDER BY still gets
// its rows in the order they were added.
//
// The index is kept only while the sqlite3 shell's ASCII-only NOCASE orders every category
// the same way (no category holds a capital such as É or Š); otherwise the shell would read
// it wrongly, so it is dropped, and made again once such names are gone. Triggers made with
// it refuse inserts, deletes and category changes from any connection without the engine's
// functions (the shell, say), and note a category that ends the shared order.
//
// Called on every connection (a library made before the index existed gets it then) and
// after writes; it changes the file only when it can be written at once, never waiting for a
// lock and never on a read-only file. Returns whether the index is there afterwards.
bool keep_phrase_index(sqlite3* db);

// After an INSERT or UPDATE: when the statement wrote a category that ends the shared order,
// drops the index (see keep_phrase_index).
void keep_phrase_index_after_write(sqlite3* db);

// Maps an SQLite result code and the connection's message to SQLSTATE + readable text.
// `preparing` tells that the statement text itself was rejected.
SqlFailure describe_sqlite_failure(sqlite3* db, int rc, bool preparing);

} // namespace brevicor::engine
