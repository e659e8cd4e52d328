// A materialised result set: the driver reads every row at execution time so that no SQLite
// read lock outlives SQLExecute (another process may want to write the library file).
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brevicor::engine {

struct Value {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string bytes; // text or blob bytes, exactly as stored

    static Value text(std::string s) {
        Value v;
        v.kind = Kind::Text;
        v.bytes = std::move(s);
        return v;
    }
    static Value number(std::int64_t i) {
        Value v;
        v.kind = Kind::Integer;
        v.integer = i;
        return v;
    }
};

struct ColumnInfo {
    std::string name;        // label as the query named it
    std::string table;       // base table, empty for expressions
    std::string base_column; // base column, empty for expressions
    std::string type_name;
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLULEN size = 255;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    bool auto_unique = false;
};

using Row = std::vector<Value>;

struct ResultSet {
    std::vector<ColumnInfo> columns;
    std::vector<Row> rows;
};

// Fills type, size and type name from a declared SQLite column type ("VARCHAR(255)",
// "LONGTEXT", "INTEGER"...). Returns false when the declaration says nothing useful.
bool describe_declared_type(const char* decltype_text, bool autoincrement, ColumnInfo& col);

// For expression columns: guesses the type from the values actually produced.
void describe_from_values(const std::vector<Row>& rows, std::size_t index, ColumnInfo& col);

// A column declared as an integer is described as SQL_BIGINT when a value read from it does
// not fit 32 bits (a client asking for SQL_C_SLONG would otherwise fail on every row).
void widen_integer_column(const std::vector<Row>& rows, std::size_t index, ColumnInfo& col);

// Bytes a value of the column takes in its default C type (SQL_DESC_OCTET_LENGTH).
SQLLEN octet_length(const ColumnInfo& col);

// Characters needed to show the column (SQL_DESC_DISPLAY_SIZE).
SQLLEN display_size(const ColumnInfo& col);

} // namespace brevicor::engine
