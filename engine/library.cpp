#include "library.hpp"

#include "collation.hpp"

#include <sys/stat.h>

#include <cctype>
#include <string_view>

namespace brevicor::engine {

int configure_connection(sqlite3* db) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // A page cache that holds a large library keeps the reads that still scan the table (the
    // preview texts, a phrase found by its code) in memory; SQLite's default is only 2 MiB.
    sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    return register_text_collation(db);
}

SqliteDb open_existing_library(const std::string& path, SqlFailure& failure) {
    if (path.empty()) {
        failure = {"08001", "No library file given (DBQ is missing or empty).", 0};
        return nullptr;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        failure = {"08001", "Could not find the library file '" + path + "'.", SQLITE_CANTOPEN};
        return nullptr;
    }
    // READWRITE without CREATE: a mistyped path must never leave an empty library behind.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_FULLMUTEX;
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) {
        failure = {"08001",
                   "Could not open the library file '" + path +
                       "': " + (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)),
                   rc};
        return nullptr;
    }
    if (configure_connection(db.get()) != SQLITE_OK) {
        failure = {"HY000", "Could not set up text comparison on the library file.", 0};
        return nullptr;
    }
    // Reading the schema proves the file is a database. A lock held by someone else is not a
    // reason to refuse the connection: statements report it when they run.
    const int probe =
        sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const bool held = (probe & 0xff) == SQLITE_BUSY || (probe & 0xff) == SQLITE_LOCKED;
    if (probe != SQLITE_OK && !held) {
        failure = {"08001",
                   "The file '" + path + "' is not a usable library: " + sqlite3_errmsg(db.get()),
                   probe};
        return nullptr;
    }
    if (held) {
        // The probe has waited the whole timeout already. Each further look at the schema
        // would wait as long again, so that a connection to a held library took several
        // timeouts: the index is kept by a later connection or write, and the rest of the
        // opening gives up at once.
        sqlite3_busy_timeout(db.get(), 0);
    } else {
        keep_phrase_index(db.get());
    }
    guard_phrase_ids(db.get());
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return db;
}

namespace {

// The first column of the first row, or -1 when the query fails.
int read_int(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const SqliteStmt statement(raw);
    return statement && sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : -1;
}

} // namespace

bool keep_phrase_index(sqlite3* db) {
    // Only a phrase table with both columns gets the index; any other table is left as it is.
    if (read_int(db, "SELECT count(*) FROM pragma_table_info('phrase') "
                     "WHERE name IN ('category', 'code')") != 2) {
        return false;
    }
    const bool present = read_int(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' "
                                      "AND name = 'brevicor_phrase_category'") == 1;
    // The sqlite3 shell's NOCASE folds ASCII only. While no category holds a capital that only
    // our rule folds (É, Š...), both rules put every pair of names in the same order, and the
    // shell reads the index correctly too; after that it would not, and the index goes.
    const bool same_order = read_int(db, "SELECT NOT EXISTS (SELECT 1 FROM phrase "
                                         "WHERE brevicor_folds_beyond_ascii(category))") == 1;
    if (present == same_order || sqlite3_db_readonly(db, "main") != 0) {
        return present;
    }
    static constexpr const char* kMake = R"(
        SAVEPOINT brevicor_phrase_index;
        CREATE INDEX IF NOT EXISTS brevicor_phrase_category ON phrase (category);
        CREATE TRIGGER IF NOT EXISTS brevicor_phrase_index_insert BEFORE INSERT ON phrase
        BEGIN SELECT only_the_brevicor_driver_writes_category(NEW.category); END;
        CREATE TRIGGER IF NOT EXISTS brevicor_phrase_index_update
        BEFORE UPDATE OF category ON phrase
        BEGIN SELECT only_the_brevicor_driver_writes_category(NEW.category); END;
        CREATE TRIGGER IF NOT EXISTS brevicor_phrase_index_delete BEFORE DELETE ON phrase
        BEGIN SELECT only_the_brevicor_driver_writes_category(NULL); END;
        RELEASE brevicor_phrase_index;
    )";
    static constexpr const char* kDrop = R"(
        SAVEPOINT brevicor_phrase_index;
        DROP INDEX IF EXISTS brevicor_phrase_category;
        DROP TRIGGER IF EXISTS brevicor_phrase_index_insert;
        DROP TRIGGER IF EXISTS brevicor_phrase_index_update;
        DROP TRIGGER IF EXISTS brevicor_phrase_index_delete;
        RELEASE brevicor_phrase_index;
    )";
    // Someone else writing right now is no reason to make the connection wait: the next
    // connection or write tries again.
    sqlite3_busy_timeout(db, 0);
    const bool done =
        sqlite3_exec(db, same_order ? kMake : kDrop, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!done && sqlite3_get_autocommit(db) == 0) {
        sqlite3_exec(db, "ROLLBACK TO brevicor_phrase_index", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE brevicor_phrase_index", nullptr, nullptr, nullptr);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return done ? same_order : present;
}

void keep_phrase_index_after_write(sqlite3* db) {
    if (read_int(db, "SELECT brevicor_take_category_note()") == 1) {
        keep_phrase_index(db);
    }
}

void guard_phrase_ids(sqlite3* db) {
    static constexpr const char* kGuard = R"(
        CREATE TEMP TRIGGER IF NOT EXISTS brevicor_phrase_id_insert AFTER INSERT ON main.phrase
        WHEN NEW.PhraseID NOT BETWEEN -2147483648 AND 2147483647
        BEGIN SELECT RAISE(ABORT, 'Numeric value out of range: PhraseID is a 32-bit AutoNumber'); END;
        CREATE TEMP TRIGGER IF NOT EXISTS brevicor_phrase_id_update
        AFTER UPDATE OF PhraseID ON main.phrase
        WHEN NEW.PhraseID NOT BETWEEN -2147483648 AND 2147483647
        BEGIN SELECT RAISE(ABORT, 'Numeric value out of range: PhraseID is a 32-bit AutoNumber'); END;
    )";
    // Fails harmlessly when there is no phrase table (or no PhraseID column).
    sqlite3_exec(db, kGuard, nullptr, nullptr, nullptr);
}

namespace {

bool starts_with(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Length limits are CHECK constraints named "<column>_max_<n>_bytes" in the schema, so plain
// SQLite tools enforce them too; the driver recognises the name to report 22001.
bool length_limit(std::string_view message, std::string& column, std::string& limit) {
    constexpr std::string_view lead = "CHECK constraint failed: ";
    const auto at = message.find(lead);
    if (at == std::string_view::npos) {
        return false;
    }
    std::string_view name = message.substr(at + lead.size());
    const auto max = name.find("_max_");
    constexpr std::string_view tail = "_bytes";
    if (max == std::string_view::npos || name.size() < tail.size() ||
        name.substr(name.size() - tail.size()) != tail) {
        return false;
    }
    const std::string_view digits = name.substr(max + 5, name.size() - tail.size() - (max + 5));
    if (digits.empty()) {
        return false;
    }
    for (char c : digits) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    column = std::string(name.substr(0, max));
    limit = std::string(digits);
    return true;
}

} // namespace

SqlFailure describe_sqlite_failure(sqlite3* db, int rc, bool preparing) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {"HYT00", message + " (the library file is in use by another program)", rc};
    case SQLITE_READONLY:
        return {"HY000", message + " (the library file is read-only)", rc};
    case SQLITE_CONSTRAINT: {
        if (starts_with(message, "Numeric value out of range")) {
            return {"22003", message, rc};
        }
        std::string column;
        std::string limit;
        if (length_limit(message, column, limit)) {
            return {"22001",
                    "String data, right truncated: the value for field '" + column +
                        "' is longer than " + limit + " bytes.",
                    rc};
        }
        return {"23000", "Integrity constraint violation: " + message, rc};
    }
    case SQLITE_TOOBIG:
        return {"22001", "String data, right truncated: " + message, rc};
    case SQLITE_NOMEM:
        return {"HY001", message, rc};
    case SQLITE_INTERRUPT:
        return {"HY008", message, rc};
    case SQLITE_ERROR:
        if (starts_with(message, "no such table")) {
            return {"42S02", message, rc};
        }
        if (starts_with(message, "no such column")) {
            return {"42S22", message, rc};
        }
        if (message.find("already exists") != std::string::npos) {
            return {"42S01", message, rc};
        }
        return {preparing ? "42000" : "HY000", message, rc};
    default:
        return {"HY000", message, rc};
    }
}

} // namespace brevicor::engine
