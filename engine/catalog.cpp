#include "catalog.hpp"

#include "collation.hpp"
#include "execute.hpp"
#include "library.hpp"

#include <cctype>

namespace brevicor::engine {

bool matches_pattern(const std::string& text, const std::string& pattern) {
    return like_match(text, pattern, '\\');
}

namespace {

ColumnInfo text_column(const char* name) {
    ColumnInfo c;
    c.name = name;
    c.sql_type = SQL_VARCHAR;
    c.size = 128;
    c.type_name = "VARCHAR";
    c.nullable = SQL_NULLABLE;
    return c;
}
ColumnInfo number_column(const char* name, SQLSMALLINT type = SQL_SMALLINT) {
    ColumnInfo c;
    c.name = name;
    c.sql_type = type;
    c.size = type == SQL_SMALLINT ? 5 : 10;
    c.type_name = type == SQL_SMALLINT ? "SMALLINT" : "INTEGER";
    c.nullable = SQL_NULLABLE;
    return c;
}

Value text(const std::string& s) {
    return Value::text(s);
}
Value number(std::int64_t i) {
    return Value::number(i);
}
Value null() {
    return Value{};
}

struct TableEntry {
    std::string name;
    std::string type; // TABLE, VIEW or SYSTEM TABLE
};

SQLRETURN read_tables(Statement& st, std::vector<TableEntry>& out) {
    sqlite3* db = st.dbc->db.get();
    if (db == nullptr) {
        return st.diag.error("08003", "Connection not open.");
    }
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') ORDER BY name", -1,
        &raw, nullptr);
    SqliteStmt stmt(raw);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt.get());
    }
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt.get())) {
        const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
        const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
        const bool system = name.rfind("sqlite_", 0) == 0;
        out.push_back({name, system ? "SYSTEM TABLE" : (type == "view" ? "VIEW" : "TABLE")});
    }
    if (rc != SQLITE_DONE) {
        const SqlFailure f = describe_sqlite_failure(db, rc, false);
        return st.diag.error(f.sqlstate, f.message, f.native);
    }
    return SQL_SUCCESS;
}

bool type_wanted(const std::string& type, const std::optional<std::string>& types) {
    if (!types || types->empty() || *types == "%") {
        return type != "SYSTEM TABLE";
    }
    std::string list;
    for (char c : *types) {
        if (c != '\'') {
            list += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            comma = list.size();
        }
        std::string item = list.substr(start, comma - start);
        const auto first = item.find_first_not_of(' ');
        item = first == std::string::npos
                   ? ""
                   : item.substr(first, item.find_last_not_of(' ') - first + 1);
        if (item == type) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

} // namespace

SQLRETURN list_tables(Statement& st, const std::optional<std::string>& table_pattern,
                      const std::optional<std::string>& table_types) {
    std::vector<TableEntry> tables;
    if (const SQLRETURN rc = read_tables(st, tables); rc != SQL_SUCCESS) {
        return rc;
    }
    ResultSet rs;
    for (const char* n : {"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "TABLE_TYPE", "REMARKS"}) {
        rs.columns.push_back(text_column(n));
    }
    for (const TableEntry& t : tables) {
        if ((table_pattern && !matches_pattern(t.name, *table_pattern)) ||
            !type_wanted(t.type, table_types)) {
            continue;
        }
        rs.rows.push_back({null(), null(), text(t.name), text(t.type), null()});
    }
    open_cursor(st, std::move(rs));
    return SQL_SUCCESS;
}

SQLRETURN list_columns(Statement& st, const std::optional<std::string>& table_pattern,
                       const std::optional<std::string>& column_pattern) {
    std::vector<TableEntry> tables;
    if (const SQLRETURN rc = read_tables(st, tables); rc != SQL_SUCCESS) {
        return rc;
    }
    ResultSet rs;
    for (const char* n : {"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME"}) {
        rs.columns.push_back(text_column(n));
    }
    rs.columns.push_back(number_column("DATA_TYPE"));
    rs.columns.push_back(text_column("TYPE_NAME"));
    rs.columns.push_back(number_column("COLUMN_SIZE", SQL_INTEGER));
    rs.columns.push_back(number_column("BUFFER_LENGTH", SQL_INTEGER));
    rs.columns.push_back(number_column("DECIMAL_DIGITS"));
    rs.columns.push_back(number_column("NUM_PREC_RADIX"));
    rs.columns.push_back(number_column("NULLABLE"));
    rs.columns.push_back(text_column("REMARKS"));
    rs.columns.push_back(text_column("COLUMN_DEF"));
    rs.columns.push_back(number_column("SQL_DATA_TYPE"));
    rs.columns.push_back(number_column("SQL_DATETIME_SUB"));
    rs.columns.push_back(number_column("CHAR_OCTET_LENGTH", SQL_INTEGER));
    rs.columns.push_back(number_column("ORDINAL_POSITION", SQL_INTEGER));
    rs.columns.push_back(text_column("IS_NULLABLE"));

    sqlite3* db = st.dbc->db.get();
    for (const TableEntry& t : tables) {
        if (t.type == "SYSTEM TABLE" ||
            (table_pattern && !matches_pattern(t.name, *table_pattern))) {
            continue;
        }
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(
            db, "SELECT name, type, \"notnull\", dflt_value, cid FROM pragma_table_info(?1)", -1,
            &raw, nullptr);
        SqliteStmt stmt(raw);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(stmt.get(), 1, t.name.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt.get());
        }
        for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt.get())) {
            const std::string name =
                reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
            if (column_pattern && !matches_pattern(name, *column_pattern)) {
                continue;
            }
            const auto* decl = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1));
            int not_null = sqlite3_column_int(stmt.get(), 2);
            int autoinc = 0;
            sqlite3_table_column_metadata(db, nullptr, t.name.c_str(), name.c_str(), nullptr,
                                          nullptr, nullptr, nullptr, &autoinc);
            ColumnInfo col;
            if (!describe_declared_type(decl, autoinc != 0, col)) {
                col.sql_type = SQL_VARCHAR;
                col.size = 255;
                col.type_name = "VARCHAR";
            }
            const bool nullable = not_null == 0 && autoinc == 0;
            const bool is_text = col.sql_type == SQL_VARCHAR || col.sql_type == SQL_LONGVARCHAR;
            const bool is_number = col.sql_type == SQL_INTEGER || col.sql_type == SQL_DOUBLE;
            Value def;
            if (sqlite3_column_type(stmt.get(), 3) != SQLITE_NULL) {
                def = text(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 3)));
            }
            rs.rows.push_back(
                {null(), null(), text(t.name), text(name), number(col.sql_type),
                 text(col.type_name), number(static_cast<std::int64_t>(col.size)),
                 number(col.sql_type == SQL_INTEGER  ? 4
                        : col.sql_type == SQL_DOUBLE ? 8
                                                     : static_cast<std::int64_t>(col.size)),
                 col.sql_type == SQL_INTEGER ? number(0) : null(),
                 is_number ? number(col.sql_type == SQL_INTEGER ? 10 : 2) : null(),
                 number(nullable ? SQL_NULLABLE : SQL_NO_NULLS), null(), def, number(col.sql_type),
                 null(), is_text ? number(static_cast<std::int64_t>(col.size)) : null(),
                 number(sqlite3_column_int(stmt.get(), 4) + 1), text(nullable ? "YES" : "NO")});
        }
        if (rc != SQLITE_DONE) {
            const SqlFailure f = describe_sqlite_failure(db, rc, false);
            return st.diag.error(f.sqlstate, f.message, f.native);
        }
    }
    open_cursor(st, std::move(rs));
    return SQL_SUCCESS;
}

SQLRETURN list_types(Statement& st, SQLSMALLINT data_type) {
    ResultSet rs;
    const std::pair<const char*, SQLSMALLINT> layout[] = {
        {"TYPE_NAME", SQL_VARCHAR},          {"DATA_TYPE", SQL_SMALLINT},
        {"COLUMN_SIZE", SQL_INTEGER},        {"LITERAL_PREFIX", SQL_VARCHAR},
        {"LITERAL_SUFFIX", SQL_VARCHAR},     {"CREATE_PARAMS", SQL_VARCHAR},
        {"NULLABLE", SQL_SMALLINT},          {"CASE_SENSITIVE", SQL_SMALLINT},
        {"SEARCHABLE", SQL_SMALLINT},        {"UNSIGNED_ATTRIBUTE", SQL_SMALLINT},
        {"FIXED_PREC_SCALE", SQL_SMALLINT},  {"AUTO_UNIQUE_VALUE", SQL_SMALLINT},
        {"LOCAL_TYPE_NAME", SQL_VARCHAR},    {"MINIMUM_SCALE", SQL_SMALLINT},
        {"MAXIMUM_SCALE", SQL_SMALLINT},     {"SQL_DATA_TYPE", SQL_SMALLINT},
        {"SQL_DATETIME_SUB", SQL_SMALLINT},  {"NUM_PREC_RADIX", SQL_INTEGER},
        {"INTERVAL_PRECISION", SQL_SMALLINT}};
    for (const auto& [name, type] : layout) {
        rs.columns.push_back(type == SQL_VARCHAR ? text_column(name) : number_column(name, type));
    }
    struct TypeRow {
        const char* name;
        SQLSMALLINT type;
        std::int64_t size;
        const char* quote;
        const char* params;
        bool autonumber;
    };
    // Ordered by DATA_TYPE as ODBC requires.
    const TypeRow types[] = {
        {"LONGBINARY", SQL_LONGVARBINARY, 1073741823, "0x", nullptr, false},
        {"LONGCHAR", SQL_LONGVARCHAR, 1073741823, "'", nullptr, false},
        {"COUNTER", SQL_INTEGER, 10, nullptr, nullptr, true},
        {"INTEGER", SQL_INTEGER, 10, nullptr, nullptr, false},
        {"DOUBLE", SQL_DOUBLE, 15, nullptr, nullptr, false},
        {"VARCHAR", SQL_VARCHAR, 255, "'", "max length", false},
    };
    for (const TypeRow& t : types) {
        if (data_type != SQL_ALL_TYPES && data_type != t.type) {
            continue;
        }
        const bool is_text = t.type == SQL_VARCHAR || t.type == SQL_LONGVARCHAR;
        const bool is_number = t.type == SQL_INTEGER || t.type == SQL_DOUBLE;
        rs.rows.push_back(
            {text(t.name), number(t.type), number(t.size), t.quote ? text(t.quote) : null(),
             t.quote ? text(t.quote == std::string("'") ? "'" : "") : null(),
             t.params ? text(t.params) : null(), number(t.autonumber ? SQL_NO_NULLS : SQL_NULLABLE),
             number(SQL_FALSE), number(is_text ? SQL_SEARCHABLE : SQL_PRED_BASIC),
             is_number ? number(SQL_FALSE) : null(), number(SQL_FALSE),
             is_number ? number(t.autonumber ? SQL_TRUE : SQL_FALSE) : null(), text(t.name), null(),
             null(), number(t.type), null(), is_number ? number(10) : null(), null()});
    }
    open_cursor(st, std::move(rs));
    return SQL_SUCCESS;
}

} // namespace brevicor::engine
