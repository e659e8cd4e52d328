#include "result_set.hpp"

#include <algorithm>
#include <cstdint>
#include <cctype>
#include <cstdlib>
#include <string>

namespace brevicor::engine {

namespace {
// Size of a long text (memo) column as ODBC reports it: the largest text the file format takes.
constexpr SQLULEN kLongTextSize = 1073741823;
constexpr SQLULEN kShortTextSize = 255;

void set_text(ColumnInfo& col, SQLULEN size) {
    if (size <= kShortTextSize) {
        col.sql_type = SQL_VARCHAR;
        col.size = size;
        col.type_name = "VARCHAR";
    } else {
        col.sql_type = SQL_LONGVARCHAR;
        col.size = kLongTextSize;
        col.type_name = "LONGCHAR";
    }
}
void set_integer(ColumnInfo& col, bool autoincrement) {
    col.sql_type = SQL_INTEGER;
    col.size = 10;
    col.type_name = autoincrement ? "COUNTER" : "INTEGER";
    col.auto_unique = autoincrement;
}
void set_bigint(ColumnInfo& col) {
    col.sql_type = SQL_BIGINT;
    col.size = 19;
    col.type_name = "BIGINT";
}
void set_real(ColumnInfo& col) {
    col.sql_type = SQL_DOUBLE;
    col.size = 15;
    col.type_name = "DOUBLE";
}
} // namespace

bool describe_declared_type(const char* decltype_text, bool autoincrement, ColumnInfo& col) {
    if (decltype_text == nullptr || *decltype_text == '\0') {
        return false;
    }
    std::string t(decltype_text);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    // Same precedence as SQLite's own affinity rules.
    if (t.find("INT") != std::string::npos) {
        set_integer(col, autoincrement);
    } else if (t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
               t.find("TEXT") != std::string::npos) {
        const auto open = t.find('(');
        if (open != std::string::npos) {
            const unsigned long n = std::strtoul(t.c_str() + open + 1, nullptr, 10);
            set_text(col, n > 0 ? n : kShortTextSize);
        } else {
            set_text(col, kLongTextSize);
        }
    } else if (t.find("BLOB") != std::string::npos) {
        col.sql_type = SQL_LONGVARBINARY;
        col.size = kLongTextSize;
        col.type_name = "LONGBINARY";
    } else if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
               t.find("DOUB") != std::string::npos) {
        set_real(col);
    } else {
        return false;
    }
    return true;
}

bool beyond_32_bits(std::int64_t i) {
    return i < INT32_MIN || i > INT32_MAX;
}

void widen_integer_column(const std::vector<Row>& rows, std::size_t index, ColumnInfo& col) {
    if (col.sql_type != SQL_INTEGER) {
        return;
    }
    for (const Row& row : rows) {
        if (row[index].kind == Value::Kind::Integer && beyond_32_bits(row[index].integer)) {
            set_bigint(col);
            return;
        }
    }
}

void describe_from_values(const std::vector<Row>& rows, std::size_t index, ColumnInfo& col) {
    bool any_text = false;
    bool any_real = false;
    bool any_integer = false;
    bool any_wide = false;
    std::size_t longest = 0;
    for (const Row& row : rows) {
        const Value& v = row[index];
        switch (v.kind) {
        case Value::Kind::Integer:
            any_integer = true;
            any_wide = any_wide || beyond_32_bits(v.integer);
            break;
        case Value::Kind::Real:
            any_real = true;
            break;
        case Value::Kind::Text:
        case Value::Kind::Blob:
            any_text = true;
            longest = std::max(longest, v.bytes.size());
            break;
        case Value::Kind::Null:
            break;
        }
    }
    if (any_text || (!any_integer && !any_real)) {
        set_text(col, longest <= kShortTextSize ? kShortTextSize : longest);
    } else if (any_real) {
        set_real(col);
    } else if (any_wide) {
        set_bigint(col);
    } else {
        set_integer(col, false);
    }
}

SQLLEN octet_length(const ColumnInfo& col) {
    switch (col.sql_type) {
    case SQL_INTEGER:
        return 4;
    case SQL_SMALLINT:
        return 2;
    case SQL_BIGINT:
    case SQL_DOUBLE:
        return 8;
    default:
        return static_cast<SQLLEN>(col.size);
    }
}

SQLLEN display_size(const ColumnInfo& col) {
    switch (col.sql_type) {
    case SQL_INTEGER:
        return 11;
    case SQL_BIGINT:
        return 20;
    case SQL_DOUBLE:
        return 24;
    default:
        return static_cast<SQLLEN>(col.size);
    }
}

} // namespace brevicor::engine
