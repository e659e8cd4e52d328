#include "execute.hpp"

#include "access_ddl.hpp"
#include "library.hpp"
#include "parameters.hpp"
#include "transaction.hpp"

#include <cctype>
#include <chrono>
#include <climits>
#include <optional>
#include <string_view>

namespace brevicor::engine {

std::string leading_keyword(const std::string& sql) {
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c) != 0 || c == '(') {
            ++i;
        } else if (sql.compare(i, 2, "--") == 0) {
            const auto nl = sql.find('\n', i);
            i = nl == std::string::npos ? sql.size() : nl + 1;
        } else if (sql.compare(i, 2, "/*") == 0) {
            const auto close = sql.find("*/", i + 2);
            i = close == std::string::npos ? sql.size() : close + 2;
        } else {
            break;
        }
    }
    std::string word;
    while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])) != 0) {
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
        ++i;
    }
    return word;
}

namespace {

// Whether what follows the statement is only blanks, semicolons and comments.
bool only_blanks(const char* p, const char* end) {
    const std::string_view rest(p, static_cast<std::size_t>(end - p));
    std::size_t i = 0;
    while (i < rest.size()) {
        const unsigned char c = static_cast<unsigned char>(rest[i]);
        if (std::isspace(c) != 0 || c == ';' || c == '\0') {
            ++i;
        } else if (rest.substr(i, 2) == "--") {
            const auto nl = rest.find('\n', i);
            i = nl == std::string_view::npos ? rest.size() : nl + 1;
        } else if (rest.substr(i, 2) == "/*") {
            // An unclosed comment runs to the end, as SQLite reads it.
            const auto close = rest.find("*/", i + 2);
            i = close == std::string_view::npos ? rest.size() : close + 2;
        } else {
            return false;
        }
    }
    return true;
}

ColumnInfo describe_column(sqlite3* db, sqlite3_stmt* stmt, int i, bool& typed) {
    ColumnInfo col;
    const char* name = sqlite3_column_name(stmt, i);
    col.name = name != nullptr ? name : "";
    const char* table = sqlite3_column_table_name(stmt, i);
    const char* origin = sqlite3_column_origin_name(stmt, i);
    bool autoincrement = false;
    if (table != nullptr && origin != nullptr) {
        col.table = table;
        col.base_column = origin;
        const char* decl = nullptr;
        const char* collation = nullptr;
        int not_null = 0;
        int primary = 0;
        int autoinc = 0;
        if (sqlite3_table_column_metadata(db, sqlite3_column_database_name(stmt, i), table, origin,
                                          &decl, &collation, &not_null, &primary,
                                          &autoinc) == SQLITE_OK) {
            autoincrement = autoinc != 0;
            col.nullable = not_null != 0 || autoincrement ? SQL_NO_NULLS : SQL_NULLABLE;
        }
    }
    typed = describe_declared_type(sqlite3_column_decltype(stmt, i), autoincrement, col);
    return col;
}

Value read_value(sqlite3_stmt* stmt, int i) {
    Value v;
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        v.kind = Value::Kind::Integer;
        v.integer = sqlite3_column_int64(stmt, i);
        break;
    case SQLITE_FLOAT:
        v.kind = Value::Kind::Real;
        v.real = sqlite3_column_double(stmt, i);
        break;
    case SQLITE_TEXT: {
        v.kind = Value::Kind::Text;
        // Raw bytes: the file holds Windows-1252 text and is never transcoded.
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        v.bytes.assign(p != nullptr ? p : "",
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        break;
    }
    case SQLITE_BLOB: {
        v.kind = Value::Kind::Blob;
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        v.bytes.assign(p != nullptr ? p : "",
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        break;
    }
    default:
        break;
    }
    return v;
}

// Compiles the statement text; on failure records the engine's own message.
SQLRETURN compile(Statement& st, SqliteStmt& out) {
    sqlite3* db = st.dbc->db.get();
    if (db == nullptr) {
        return st.diag.error("08003", "Connection not open.");
    }
    if (st.sql.size() > static_cast<std::size_t>(INT_MAX)) {
        return st.diag.error("HY090", "Statement text too long.");
    }
    // Access table definitions become the library's own form; everything else runs as given.
    const AccessDdl ddl = translate_access_ddl(st.sql);
    if (ddl.kind == AccessDdl::Kind::Refused) {
        return st.diag.error("42000", ddl.text);
    }
    const std::string& sql = ddl.kind == AccessDdl::Kind::Translated ? ddl.text : st.sql;
    const char* tail = nullptr;
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
    out.reset(raw);
    if (rc != SQLITE_OK) {
        const SqlFailure f = describe_sqlite_failure(db, rc, true);
        return st.diag.error(f.sqlstate, f.message, f.native);
    }
    if (!out) {
        return st.diag.error("42000", "Syntax error: the statement is empty.");
    }
    if (!only_blanks(tail, sql.data() + sql.size())) {
        return st.diag.error("42000", "Syntax error: only one statement can run at a time.");
    }
    return SQL_SUCCESS;
}

} // namespace

void close_cursor(Statement& st) {
    st.has_cursor = false;
    st.result = ResultSet{};
    st.next_row = 0;
    st.on_row = false;
    st.getdata.clear();
}

void open_cursor(Statement& st, ResultSet rows) {
    close_cursor(st);
    st.result = std::move(rows);
    st.has_cursor = true;
    st.row_count = -1;
}

void set_statement_text(Statement& st, std::string sql, bool prepared) {
    st.sql = std::move(sql);
    st.prepared = prepared;
    st.compiled.reset();
    st.described.clear();
    st.described_parameters = 0;
    st.described_valid = false;
}

namespace {

// The compiled form of `st.sql`, compiled on first use and described at the same time.
SQLRETURN compiled_statement(Statement& st, sqlite3_stmt*& out) {
    if (!st.compiled) {
        SqliteStmt stmt;
        const SQLRETURN rc = compile(st, stmt);
        if (rc != SQL_SUCCESS) {
            return rc;
        }
        st.compiled = std::move(stmt);
        st.described.clear();
        st.described_parameters = sqlite3_bind_parameter_count(st.compiled.get());
        const int n = sqlite3_column_count(st.compiled.get());
        for (int i = 0; i < n; ++i) {
            bool typed = false;
            ColumnInfo col = describe_column(st.dbc->db.get(), st.compiled.get(), i, typed);
            if (!typed) {
                col.sql_type = SQL_VARCHAR;
                col.size = 255;
                col.type_name = "VARCHAR";
            }
            st.described.push_back(std::move(col));
        }
        st.described_valid = true;
    }
    out = st.compiled.get();
    return SQL_SUCCESS;
}

// While it lives, the statement can be stopped: by SQLCancel from another thread, or when it
// runs longer than SQL_ATTR_QUERY_TIMEOUT. SQLite calls the check every few hundred steps of
// its virtual machine; answering non-zero interrupts the statement with SQLITE_INTERRUPT.
class StopWatch {
public:
    explicit StopWatch(Statement& st) : st_(st), db_(st.dbc->db.get()) {
        const SQLULEN seconds = st.attrs[SQL_ATTR_QUERY_TIMEOUT];
        if (seconds != 0) {
            deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        }
        st_.stopped = Statement::Stop::None;
        st_.cancel = false;
        st_.running = true;
        // A cancel that came after this call began, before the statement ran, is for it.
        if (st_.close_requested.exchange(false)) {
            st_.cancel = true;
        }
        sqlite3_progress_handler(db_, kSteps, &StopWatch::check, this);
    }
    ~StopWatch() {
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        st_.running = false;
        st_.cancel = false;
    }
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

private:
    static constexpr int kSteps = 1000;
    static int check(void* self) {
        auto& w = *static_cast<StopWatch*>(self);
        if (w.st_.cancel) {
            w.st_.stopped = Statement::Stop::Cancelled;
            return 1;
        }
        if (w.deadline_ && std::chrono::steady_clock::now() >= *w.deadline_) {
            w.st_.stopped = Statement::Stop::TimedOut;
            return 1;
        }
        return 0;
    }
    Statement& st_;
    sqlite3* db_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// A failure while running, with the reason an interrupted statement was stopped.
SqlFailure run_failure(Statement& st, int step) {
    if ((step & 0xff) == SQLITE_INTERRUPT) {
        if (st.stopped == Statement::Stop::TimedOut) {
            return {"HYT00",
                    "Timeout expired: the statement ran longer than its query timeout of " +
                        std::to_string(st.attrs[SQL_ATTR_QUERY_TIMEOUT]) + " s and was stopped.",
                    step};
        }
        return {"HY008", "Operation canceled: the statement was stopped.", step};
    }
    return describe_sqlite_failure(st.dbc->db.get(), step, false);
}

// Steps `stmt` to its end, collecting rows into `rs` (when it has columns). A query stops
// once SQL_ATTR_MAX_ROWS rows are read; a writing statement always runs to completion.
int step_all(Statement& st, sqlite3_stmt* stmt, ResultSet& rs) {
    const int ncols = sqlite3_column_count(stmt);
    const SQLULEN max_rows = st.attrs[SQL_ATTR_MAX_ROWS];
    const bool read_only = sqlite3_stmt_readonly(stmt) != 0;
    for (;;) {
        const int step = sqlite3_step(stmt);
        if (step != SQLITE_ROW) {
            return step;
        }
        if (max_rows != 0 && rs.rows.size() >= max_rows) {
            if (read_only) {
                return SQLITE_DONE;
            }
            continue;
        }
        Row row;
        row.reserve(static_cast<std::size_t>(ncols));
        for (int i = 0; i < ncols; ++i) {
            row.push_back(read_value(stmt, i));
        }
        rs.rows.push_back(std::move(row));
    }
}

SQLRETURN step_failure(Statement& st, int step, bool in_transaction, const std::string& where) {
    const SqlFailure f = run_failure(st, step);
    st.diag.add(f.sqlstate, where + f.message, f.native);
    sqlite3_reset(st.compiled.get());
    note_lost_transaction(st, in_transaction);
    return SQL_ERROR;
}

// Writes SQL_ATTR_PARAMS_PROCESSED_PTR and one entry of SQL_ATTR_PARAM_STATUS_PTR.
void report_processed(Statement& st, SQLULEN processed) {
    if (auto* p = reinterpret_cast<SQLULEN*>(st.attrs[SQL_ATTR_PARAMS_PROCESSED_PTR])) {
        *p = processed;
    }
}
void report_status(Statement& st, std::size_t set, SQLUSMALLINT status) {
    if (auto* p = reinterpret_cast<SQLUSMALLINT*>(st.attrs[SQL_ATTR_PARAM_STATUS_PTR])) {
        p[set] = status;
    }
}
bool ignored(Statement& st, std::size_t set) {
    const auto* p = reinterpret_cast<const SQLUSMALLINT*>(st.attrs[SQL_ATTR_PARAM_OPERATION_PTR]);
    return p != nullptr && p[set] == SQL_PARAM_IGNORE;
}

SQLRETURN savepoint(Statement& st, const char* sql) {
    sqlite3* db = st.dbc->db.get();
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const SqlFailure f = describe_sqlite_failure(db, rc, false);
        return st.diag.error(f.sqlstate, f.message, f.native);
    }
    return SQL_SUCCESS;
}

// Runs every set of an array of parameter values (SQL_ATTR_PARAMSET_SIZE > 1) as one unit:
// either every set is saved, or, when one fails, none is. The failing set is marked
// SQL_PARAM_ERROR, the others SQL_PARAM_UNUSED, and the diagnostic names the set.
SQLRETURN run_array(Statement& st, sqlite3_stmt* stmt, std::size_t sets, bool in_transaction,
                    SQLLEN& changes) {
    for (std::size_t i = 0; i < sets; ++i) {
        report_status(st, i, SQL_PARAM_UNUSED);
    }
    SQLRETURN rc = savepoint(st, "SAVEPOINT brevicor_parameter_array");
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    sqlite3* db = st.dbc->db.get();
    for (std::size_t i = 0; i < sets; ++i) {
        if (ignored(st, i)) {
            continue;
        }
        report_processed(st, i + 1);
        const std::string where = "Parameter set " + std::to_string(i + 1) + " of " +
                                  std::to_string(sets) + ", so no set was saved: ";
        sqlite3_reset(stmt);
        rc = bind_parameters(st, stmt, i);
        ResultSet ignored_rows;
        const int step = rc == SQL_SUCCESS ? step_all(st, stmt, ignored_rows) : SQLITE_DONE;
        if (rc != SQL_SUCCESS || step != SQLITE_DONE) {
            if (rc == SQL_SUCCESS) {
                const SqlFailure f = run_failure(st, step);
                st.diag.add(f.sqlstate, where + f.message, f.native);
            } else {
                st.diag.add("01000", where.substr(0, where.size() - 2) + ".");
            }
            report_status(st, i, SQL_PARAM_ERROR);
            sqlite3_reset(stmt);
            // Undo the sets before; a transaction SQLite already ended has nothing to undo.
            sqlite3_exec(db, "ROLLBACK TO brevicor_parameter_array", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "RELEASE brevicor_parameter_array", nullptr, nullptr, nullptr);
            note_lost_transaction(st, in_transaction);
            return SQL_ERROR;
        }
        changes += sqlite3_changes(db);
    }
    sqlite3_reset(stmt);
    rc = savepoint(st, "RELEASE brevicor_parameter_array");
    if (rc != SQL_SUCCESS) {
        sqlite3_exec(db, "ROLLBACK TO brevicor_parameter_array", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE brevicor_parameter_array", nullptr, nullptr, nullptr);
        return rc;
    }
    for (std::size_t i = 0; i < sets; ++i) {
        if (!ignored(st, i)) {
            report_status(st, i, SQL_PARAM_SUCCESS);
        }
    }
    return SQL_SUCCESS;
}

// The statement's result once it ran: a cursor, or a row count (SQL_NO_DATA for a searched
// UPDATE or DELETE that changed nothing, under ODBC 3).
SQLRETURN finish(Statement& st, ResultSet rs, const std::vector<bool>& typed, SQLLEN changes) {
    if (rs.columns.empty()) {
        const std::string keyword = leading_keyword(st.sql);
        if (keyword == "INSERT" || keyword == "UPDATE" || keyword == "DELETE" ||
            keyword == "REPLACE") {
            st.row_count = changes;
            if ((keyword == "UPDATE" || keyword == "DELETE") && st.row_count == 0 &&
                st.dbc->env->odbc_version != SQL_OV_ODBC2) {
                return SQL_NO_DATA;
            }
        }
        return SQL_SUCCESS;
    }
    for (std::size_t i = 0; i < rs.columns.size(); ++i) {
        if (!typed[i]) {
            describe_from_values(rs.rows, i, rs.columns[i]);
        } else {
            widen_integer_column(rs.rows, i, rs.columns[i]);
        }
    }
    open_cursor(st, std::move(rs));
    return SQL_SUCCESS;
}

} // namespace

SQLRETURN describe_prepared(Statement& st) {
    if (st.described_valid) {
        return SQL_SUCCESS;
    }
    sqlite3_stmt* stmt = nullptr;
    return compiled_statement(st, stmt);
}

SQLRETURN execute_statement(Statement& st) {
    close_cursor(st);
    st.row_count = -1;
    sqlite3_stmt* stmt = nullptr;
    SQLRETURN rc = compiled_statement(st, stmt);
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    sqlite3* db = st.dbc->db.get();
    const int ncols = sqlite3_column_count(stmt);
    const std::size_t sets = std::max<SQLULEN>(st.attrs[SQL_ATTR_PARAMSET_SIZE], 1);
    report_processed(st, 0);
    if (sets > 1 && ncols > 0) {
        return st.diag.error("HYC00", "Optional feature not implemented: an array of parameter "
                                      "values can only be used with a statement that returns "
                                      "no rows.");
    }
    rc = begin_for_statement(st, stmt);
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    const bool in_transaction = transaction_open(*st.dbc);
    ResultSet rs;
    std::vector<bool> typed(static_cast<std::size_t>(ncols));
    for (int i = 0; i < ncols; ++i) {
        bool t = false;
        rs.columns.push_back(describe_column(db, stmt, i, t));
        typed[static_cast<std::size_t>(i)] = t;
    }
    SQLLEN changes = 0;
    const StopWatch watch(st);
    if (sets > 1) {
        rc = run_array(st, stmt, sets, in_transaction, changes);
    } else if (ignored(st, 0)) {
        report_status(st, 0, SQL_PARAM_UNUSED);
    } else {
        report_processed(st, 1);
        rc = bind_parameters(st, stmt, 0);
        if (rc == SQL_SUCCESS) {
            const int step = step_all(st, stmt, rs);
            if (step != SQLITE_DONE) {
                rc = step_failure(st, step, in_transaction, "");
            }
            changes = sqlite3_changes(db);
        }
        report_status(st, 0, rc == SQL_SUCCESS ? SQL_PARAM_SUCCESS : SQL_PARAM_ERROR);
    }
    // Resetting now releases every lock outside a transaction: each statement is complete and
    // durable on return.
    sqlite3_reset(stmt);
    if (!st.prepared) {
        st.compiled.reset();
    }
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    const std::string keyword = leading_keyword(st.sql);
    if (keyword == "CREATE") {
        guard_phrase_ids(db); // the phrase table may be new
        keep_phrase_index(db);
    } else if (keyword == "INSERT" || keyword == "UPDATE") {
        keep_phrase_index_after_write(db);
    }
    return finish(st, std::move(rs), typed, changes);
}

} // namespace brevicor::engine
