#include "execute.hpp"

#include "access_ddl.hpp"
#include "library.hpp"
#include "parameters.hpp"

#include <cctype>
#include <climits>

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

bool only_blanks(const char* p, const char* end) {
    for (; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (std::isspace(c) == 0 && c != ';' && c != '\0') {
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

SQLRETURN describe_prepared(Statement& st) {
    if (st.described_valid) {
        return SQL_SUCCESS;
    }
    SqliteStmt stmt;
    const SQLRETURN rc = compile(st, stmt);
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    st.described.clear();
    st.described_parameters = sqlite3_bind_parameter_count(stmt.get());
    const int n = sqlite3_column_count(stmt.get());
    for (int i = 0; i < n; ++i) {
        bool typed = false;
        ColumnInfo col = describe_column(st.dbc->db.get(), stmt.get(), i, typed);
        if (!typed) {
            col.sql_type = SQL_VARCHAR;
            col.size = 255;
            col.type_name = "VARCHAR";
        }
        st.described.push_back(std::move(col));
    }
    st.described_valid = true;
    return SQL_SUCCESS;
}

SQLRETURN execute_statement(Statement& st) {
    close_cursor(st);
    st.row_count = -1;
    SqliteStmt stmt;
    SQLRETURN rc = compile(st, stmt);
    if (rc == SQL_SUCCESS) {
        rc = bind_parameters(st, stmt.get());
    }
    if (rc != SQL_SUCCESS) {
        return rc;
    }
    sqlite3* db = st.dbc->db.get();
    const int ncols = sqlite3_column_count(stmt.get());
    ResultSet rs;
    std::vector<bool> typed(static_cast<std::size_t>(ncols));
    for (int i = 0; i < ncols; ++i) {
        bool t = false;
        rs.columns.push_back(describe_column(db, stmt.get(), i, t));
        typed[static_cast<std::size_t>(i)] = t;
    }
    const SQLULEN max_rows = st.attrs[SQL_ATTR_MAX_ROWS];
    for (;;) {
        const int step = sqlite3_step(stmt.get());
        if (step == SQLITE_ROW) {
            if (max_rows != 0 && rs.rows.size() >= max_rows) {
                continue; // keep stepping so a write statement still completes
            }
            Row row;
            row.reserve(static_cast<std::size_t>(ncols));
            for (int i = 0; i < ncols; ++i) {
                row.push_back(read_value(stmt.get(), i));
            }
            rs.rows.push_back(std::move(row));
        } else if (step == SQLITE_DONE) {
            break;
        } else {
            const SqlFailure f = describe_sqlite_failure(db, step, false);
            return st.diag.error(f.sqlstate, f.message, f.native);
        }
    }
    // Finalising now releases every lock: each statement is complete and durable on return.
    stmt.reset();
    if (ncols == 0) {
        const std::string keyword = leading_keyword(st.sql);
        if (keyword == "INSERT" || keyword == "UPDATE" || keyword == "DELETE" ||
            keyword == "REPLACE") {
            st.row_count = sqlite3_changes(db);
            if ((keyword == "UPDATE" || keyword == "DELETE") && st.row_count == 0) {
                return SQL_NO_DATA;
            }
        }
        return SQL_SUCCESS;
    }
    for (std::size_t i = 0; i < rs.columns.size(); ++i) {
        if (!typed[i]) {
            describe_from_values(rs.rows, i, rs.columns[i]);
        }
    }
    open_cursor(st, std::move(rs));
    return SQL_SUCCESS;
}

} // namespace brevicor::engine
