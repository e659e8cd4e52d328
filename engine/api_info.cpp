// SQLGetInfo: what the driver tells applications (and isql) about itself.
#include "api_support.hpp"
#include "convert.hpp"

#include <sqlucode.h>

#include <variant>

using namespace brevicor::engine;

namespace {

using Answer = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

bool info_answer(const Connection& c, SQLUSMALLINT type, Answer& out) {
    const bool read_only = c.db && sqlite3_db_readonly(c.db.get(), "main") == 1;
    switch (type) {
    case SQL_DRIVER_NAME:
        out = std::string("libbrevicormdb.so");
        return true;
    case SQL_DRIVER_VER:
        out = std::string("01.00.0000");
        return true;
    case SQL_DRIVER_ODBC_VER:
        out = std::string("03.00");
        return true;
    case SQL_ODBC_VER:
        out = std::string("03.00.0000");
        return true;
    case SQL_DBMS_NAME:
        out = std::string("Brevicor library");
        return true;
    case SQL_DBMS_VER:
        out = std::string("01.00.0000");
        return true;
    case SQL_DATABASE_NAME:
    case SQL_SERVER_NAME:
        out = c.path;
        return true;
    case SQL_DATA_SOURCE_NAME:
    case SQL_USER_NAME:
    case SQL_KEYWORDS:
    case SQL_SPECIAL_CHARACTERS:
    case SQL_CATALOG_TERM:
    case SQL_SCHEMA_TERM:
    case SQL_PROCEDURE_TERM:
    case SQL_CATALOG_NAME_SEPARATOR:
    case SQL_COLLATION_SEQ:
        out = std::string();
        return true;
    case SQL_TABLE_TERM:
        out = std::string("table");
        return true;
    case SQL_IDENTIFIER_QUOTE_CHAR:
        out = std::string("\"");
        return true;
    case SQL_SEARCH_PATTERN_ESCAPE:
        out = std::string("\\");
        return true;
    case SQL_DATA_SOURCE_READ_ONLY:
        out = std::string(read_only ? "Y" : "N");
        return true;
    case SQL_ACCESSIBLE_TABLES:
    case SQL_COLUMN_ALIAS:
    case SQL_EXPRESSIONS_IN_ORDERBY:
    case SQL_LIKE_ESCAPE_CLAUSE:
    case SQL_MULTIPLE_ACTIVE_TXN:
        out = std::string("Y");
        return true;
    case SQL_ACCESSIBLE_PROCEDURES:
    case SQL_PROCEDURES:
    case SQL_MULT_RESULT_SETS:
    case SQL_NEED_LONG_DATA_LEN:
    case SQL_ORDER_BY_COLUMNS_IN_SELECT:
    case SQL_OUTER_JOINS:
    case SQL_ROW_UPDATES:
    case SQL_CATALOG_NAME:
    case SQL_DESCRIBE_PARAMETER:
    case SQL_INTEGRITY:
    case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
        out = std::string("N");
        return true;
    case SQL_TXN_CAPABLE:
        out = SQLUSMALLINT{SQL_TC_ALL}; // DDL takes part in transactions like any statement
        return true;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
        out = SQLUSMALLINT{SQL_CB_PRESERVE};
        return true;
    case SQL_IDENTIFIER_CASE:
    case SQL_QUOTED_IDENTIFIER_CASE:
        out = SQLUSMALLINT{SQL_IC_MIXED};
        return true;
    case SQL_CONCAT_NULL_BEHAVIOR:
        out = SQLUSMALLINT{SQL_CB_NULL};
        return true;
    case SQL_NON_NULLABLE_COLUMNS:
        out = SQLUSMALLINT{SQL_NNC_NON_NULL};
        return true;
    case SQL_NULL_COLLATION:
        out = SQLUSMALLINT{SQL_NC_LOW};
        return true;
    case SQL_CORRELATION_NAME:
        out = SQLUSMALLINT{SQL_CN_ANY};
        return true;
    case SQL_GROUP_BY:
        out = SQLUSMALLINT{SQL_GB_GROUP_BY_CONTAINS_SELECT};
        return true;
    case SQL_FILE_USAGE:
        out = SQLUSMALLINT{SQL_FILE_NOT_SUPPORTED};
        return true;
    case SQL_TXN_ISOLATION_OPTION:
        out = SQLUINTEGER{SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE};
        return true;
    case SQL_DEFAULT_TXN_ISOLATION:
        out = SQLUINTEGER{SQL_TXN_READ_COMMITTED};
        return true;
    case SQL_MAX_DRIVER_CONNECTIONS:
    case SQL_MAX_CONCURRENT_ACTIVITIES:
    case SQL_MAX_CATALOG_NAME_LEN:
    case SQL_MAX_SCHEMA_NAME_LEN:
    case SQL_MAX_PROCEDURE_NAME_LEN:
    case SQL_MAX_COLUMNS_IN_GROUP_BY:
    case SQL_MAX_COLUMNS_IN_ORDER_BY:
    case SQL_MAX_COLUMNS_IN_SELECT:
    case SQL_MAX_TABLES_IN_SELECT:
    case SQL_MAX_USER_NAME_LEN:
    case SQL_MAX_CURSOR_NAME_LEN:
        out = SQLUSMALLINT{0};
        return true;
    case SQL_MAX_COLUMN_NAME_LEN:
    case SQL_MAX_TABLE_NAME_LEN:
    case SQL_MAX_IDENTIFIER_LEN:
        out = SQLUSMALLINT{64};
        return true;
    case SQL_MAX_STATEMENT_LEN:
    case SQL_MAX_ROW_SIZE:
    case SQL_MAX_CHAR_LITERAL_LEN:
    case SQL_MAX_BINARY_LITERAL_LEN:
    case SQL_MAX_INDEX_SIZE:
        out = SQLUINTEGER{0};
        return true;
    case SQL_GETDATA_EXTENSIONS:
        out = SQLUINTEGER{SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND};
        return true;
    case SQL_SCROLL_OPTIONS:
        out = SQLUINTEGER{SQL_SO_FORWARD_ONLY};
        return true;
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
        out = SQLUINTEGER{SQL_CA1_NEXT};
        return true;
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
        out = SQLUINTEGER{SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_MAX_ROWS_SELECT};
        return true;
    case SQL_STATIC_CURSOR_ATTRIBUTES1:
    case SQL_STATIC_CURSOR_ATTRIBUTES2:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
    case SQL_KEYSET_CURSOR_ATTRIBUTES1:
    case SQL_KEYSET_CURSOR_ATTRIBUTES2:
    case SQL_POS_OPERATIONS:
    case SQL_STATIC_SENSITIVITY:
    case SQL_LOCK_TYPES:
    case SQL_BOOKMARK_PERSISTENCE:
    case SQL_SCROLL_CONCURRENCY:
    case SQL_POSITIONED_STATEMENTS:
    case SQL_CATALOG_USAGE:
    case SQL_SCHEMA_USAGE:
    case SQL_BATCH_SUPPORT:
    case SQL_BATCH_ROW_COUNT:
    case SQL_CONVERT_FUNCTIONS:
    case SQL_TIMEDATE_FUNCTIONS:
    case SQL_SYSTEM_FUNCTIONS:
    case SQL_NUMERIC_FUNCTIONS:
    case SQL_ASYNC_MODE:
    case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
    case SQL_DATETIME_LITERALS:
    case SQL_OJ_CAPABILITIES:
    case SQL_SUBQUERIES:
    case SQL_UNION:
        out = SQLUINTEGER{0};
        return true;
    case SQL_PARAM_ARRAY_ROW_COUNTS:
        out = SQLUINTEGER{SQL_PARC_NO_BATCH}; // one row count for the whole array
        return true;
    case SQL_PARAM_ARRAY_SELECTS:
        out = SQLUINTEGER{SQL_PAS_NO_SELECT};
        return true;
    case SQL_STRING_FUNCTIONS:
        out = SQLUINTEGER{SQL_FN_STR_LENGTH | SQL_FN_STR_SUBSTRING};
        return true;
    case SQL_CURSOR_SENSITIVITY:
        out = SQLUINTEGER{SQL_INSENSITIVE};
        return true;
    case SQL_ODBC_INTERFACE_CONFORMANCE:
        out = SQLUINTEGER{SQL_OIC_CORE};
        return true;
    case SQL_SQL_CONFORMANCE:
        out = SQLUINTEGER{SQL_SC_SQL92_ENTRY};
        return true;
    case SQL_ODBC_SQL_CONFORMANCE:
        out = SQLUSMALLINT{SQL_OSC_MINIMUM};
        return true;
    case SQL_ODBC_API_CONFORMANCE:
        out = SQLUSMALLINT{SQL_OAC_LEVEL1};
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

SQLRETURN write_number(const Answer& answer, SQLPOINTER value, SQLSMALLINT* length) {
    if (const auto* small = std::get_if<SQLUSMALLINT>(&answer)) {
        if (value != nullptr) {
            std::memcpy(value, small, sizeof *small);
        }
        if (length != nullptr) {
            *length = sizeof *small;
        }
        return SQL_SUCCESS;
    }
    const auto big = std::get<SQLUINTEGER>(answer);
    if (value != nullptr) {
        std::memcpy(value, &big, sizeof big);
    }
    if (length != nullptr) {
        *length = sizeof big;
    }
    return SQL_SUCCESS;
}

} // namespace

#pragma GCC visibility push(default)
extern "C" SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                                        SQLSMALLINT buffer_length, SQLSMALLINT* length) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        Answer answer;
        if (!info_answer(c, type, answer)) {
            return c.diag.error("HY096",
                                "Information type " + std::to_string(type) + " is not supported.");
        }
        if (const auto* text = std::get_if<std::string>(&answer)) {
            return write_text(*text, value, buffer_length, length, c.diag);
        }
        return write_number(answer, value, length);
    });
}

// Text answers in UTF-16; buffer and length count bytes.
extern "C" SQLRETURN SQL_API SQLGetInfoW(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value,
                                         SQLSMALLINT buffer_length, SQLSMALLINT* length) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        Answer answer;
        if (!info_answer(c, type, answer)) {
            return c.diag.error("HY096",
                                "Information type " + std::to_string(type) + " is not supported.");
        }
        const auto* text = std::get_if<std::string>(&answer);
        if (text == nullptr) {
            return write_number(answer, value, length);
        }
        const std::u16string wide = widen_1252(*text);
        if (length != nullptr) {
            *length = static_cast<SQLSMALLINT>(wide.size() * sizeof(SQLWCHAR));
        }
        const std::size_t room =
            buffer_length > 0 ? static_cast<std::size_t>(buffer_length) / sizeof(SQLWCHAR) : 0;
        if (value == nullptr || room == 0) {
            return SQL_SUCCESS;
        }
        const std::size_t n = std::min(wide.size(), room - 1);
        auto* out = static_cast<SQLWCHAR*>(value);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = wide[i];
        }
        out[n] = 0;
        if (n < wide.size()) {
            c.diag.add("01004", "String data, right truncated.");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    });
}
#pragma GCC visibility pop
