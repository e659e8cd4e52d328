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
// holds when the process could write it anyway (root). On failure returns null and fills
// `failure`.
SqliteDb open_existing_library(const std::string& path, SqlFailure& failure);

// Per-connection settings every tool touching a library needs (collation, busy timeout).
int configure_connection(sqlite3* db);

// PhraseID is an AutoNumber, a 32-bit number wherever the library is used: on the driver's
// connections a value outside that range is refused on write (22003), by temporary triggers
// that live with the connection and leave the file unchanged. Does nothing when the library
// has no phrase table.
void guard_phrase_ids(sqlite3* db);

// Maps an SQLite result code and the connection's message to SQLSTATE + readable text.
// `preparing` tells that the statement text itself was rejected.
SqlFailure describe_sqlite_failure(sqlite3* db, int rc, bool preparing);

} // namespace brevicor::engine
