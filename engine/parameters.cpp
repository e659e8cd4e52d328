#include "parameters.hpp"

#include "convert.hpp"
#include "library.hpp"

#include <sqlucode.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace brevicor::engine {

namespace {

// The C type ODBC pairs with each SQL type when the application says SQL_C_DEFAULT.
SQLSMALLINT default_c_type(SQLSMALLINT sql_type) {
    switch (sql_type) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return SQL_C_WCHAR;
    case SQL_INTEGER:
        return SQL_C_SLONG;
    case SQL_SMALLINT:
        return SQL_C_SSHORT;
    case SQL_TINYINT:
        return SQL_C_STINYINT;
    case SQL_BIT:
        return SQL_C_BIT;
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return SQL_C_DOUBLE;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR; // character types, and BIGINT/DECIMAL/NUMERIC as ODBC defines
    }
}

bool character_sql_type(SQLSMALLINT sql_type) {
    switch (sql_type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

// Byte length of a character or binary value: the indicator when it gives one, otherwise up
// to the first NUL of `unit` bytes, never reading past a positive buffer length.
std::size_t value_length(const char* value, const SQLLEN* indicator, SQLLEN buffer_length,
                         std::size_t unit) {
    if (indicator != nullptr && *indicator >= 0) {
        return static_cast<std::size_t>(*indicator);
    }
    const std::size_t limit = buffer_length > 0 ? static_cast<std::size_t>(buffer_length)
                                                : std::numeric_limits<std::size_t>::max();
    static constexpr char zeros[2] = {0, 0};
    std::size_t n = 0;
    while (n + unit <= limit && std::memcmp(value + n, zeros, unit) != 0) {
        n += unit;
    }
    return n;
}

template <typename T> T read_number(const char* value) {
    T t{};
    std::memcpy(&t, value, sizeof t); // the buffer need not be aligned
    return t;
}

// Size of one value of a fixed-size C type; 0 for character and binary data.
std::size_t fixed_size(SQLSMALLINT c_type) {
    switch (c_type) {
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_ULONG:
        return sizeof(SQLINTEGER);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_USHORT:
        return sizeof(SQLSMALLINT);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        return 1;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        return sizeof(std::int64_t);
    case SQL_C_DOUBLE:
        return sizeof(double);
    case SQL_C_FLOAT:
        return sizeof(float);
    default:
        return 0;
    }
}

// Where one set of an array of parameter values lies, following SQL_ATTR_PARAM_BIND_TYPE
// (column-wise: each value one element further, or row-wise: one structure further) and
// SQL_ATTR_PARAM_BIND_OFFSET_PTR.
struct SetOffsets {
    SQLLEN value = 0;
    SQLLEN indicator = 0;
};

SetOffsets offsets_of(const Statement& st, const ParameterBinding& binding, SQLSMALLINT c_type,
                      std::size_t set) {
    const auto attr = [&st](SQLINTEGER a) { return st.attrs.at(a); };
    SQLLEN base = 0;
    if (const auto* p = reinterpret_cast<const char*>(attr(SQL_ATTR_PARAM_BIND_OFFSET_PTR))) {
        std::memcpy(&base, p, sizeof base);
    }
    const auto row_size = static_cast<SQLLEN>(attr(SQL_ATTR_PARAM_BIND_TYPE));
    const auto i = static_cast<SQLLEN>(set);
    if (row_size != SQL_PARAM_BIND_BY_COLUMN) {
        return {base + i * row_size, base + i * row_size};
    }
    const std::size_t fixed = fixed_size(c_type);
    const SQLLEN element = fixed != 0 ? static_cast<SQLLEN>(fixed) : binding.buffer_length;
    return {base + i * element, base + i * static_cast<SQLLEN>(sizeof(SQLLEN))};
}

SQLRETURN bind_one(const Statement& st, Diagnostics& diag, sqlite3_stmt* stmt, int index,
                   const ParameterBinding& binding, std::size_t set) {
    const std::string which = "parameter " + std::to_string(index);
    const SQLSMALLINT c_type =
        binding.c_type == SQL_C_DEFAULT ? default_c_type(binding.sql_type) : binding.c_type;
    const SetOffsets offsets = offsets_of(st, binding, c_type, set);
    const char* value = binding.value != nullptr
                            ? static_cast<const char*>(binding.value) + offsets.value
                            : nullptr;
    // Applications pack their buffers as they like (pyodbc's rows are not aligned): the
    // indicator is copied, never read in place.
    SQLLEN indicator_value = 0;
    const SQLLEN* indicator = nullptr;
    if (binding.indicator != nullptr) {
        std::memcpy(&indicator_value,
                    reinterpret_cast<const char*>(binding.indicator) + offsets.indicator,
                    sizeof indicator_value);
        indicator = &indicator_value;
    }
    int rc = SQLITE_OK;
    if (indicator != nullptr && *indicator == SQL_NULL_DATA) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (indicator != nullptr &&
               (*indicator == SQL_DATA_AT_EXEC || *indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET)) {
        return diag.error("HYC00", "Optional feature not implemented: " + which +
                                       " asks to send its value at execution time.");
    } else if (indicator != nullptr && *indicator < 0 && *indicator != SQL_NTS) {
        return diag.error("HY090", "Invalid string or buffer length for " + which + ".");
    } else if (value == nullptr) {
        return diag.error("HY009", "Invalid use of null pointer: " + which + " has no value.");
    } else {
        switch (c_type) {
        case SQL_C_CHAR:
            // Windows-1252 bytes go in unchanged; SQLite never checks text encoding.
            rc = sqlite3_bind_text64(stmt, index, value,
                                     value_length(value, indicator, binding.buffer_length, 1),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        case SQL_C_WCHAR: {
            const std::size_t bytes = value_length(value, indicator, binding.buffer_length, 2);
            if (bytes % 2 != 0) {
                return diag.error("HY090", "Invalid string or buffer length for " + which +
                                               ": odd byte count for UTF-16 text.");
            }
            std::u16string wide(bytes / 2, u'\0');
            std::memcpy(wide.data(), value, bytes);
            char32_t refused = 0;
            const auto narrow = narrow_1252(wide, refused);
            if (!narrow) {
                return diag.error("22018",
                                  "Invalid character value for the requested type: " + which +
                                      " holds the character " + code_point_name(refused) +
                                      ", which Windows-1252 library text cannot hold.");
            }
            rc = sqlite3_bind_text64(stmt, index, narrow->data(), narrow->size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        case SQL_C_BINARY:
            if (indicator != nullptr && *indicator == SQL_NTS) {
                return diag.error("HY090", "Invalid string or buffer length for " + which +
                                               ": binary data has no terminator.");
            }
            if (character_sql_type(binding.sql_type)) {
                // Bytes the application declares as character data are text: stored as
                // such, they compare and read back as the text they are.
                rc = sqlite3_bind_text64(stmt, index, value,
                                         indicator != nullptr
                                             ? static_cast<sqlite3_uint64>(*indicator)
                                             : static_cast<sqlite3_uint64>(binding.buffer_length),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            }
            rc = sqlite3_bind_blob64(stmt, index, value,
                                     indicator != nullptr
                                         ? static_cast<sqlite3_uint64>(*indicator)
                                         : static_cast<sqlite3_uint64>(binding.buffer_length),
                                     SQLITE_TRANSIENT);
            break;
        case SQL_C_SLONG:
        case SQL_C_LONG:
            rc = sqlite3_bind_int64(stmt, index, read_number<SQLINTEGER>(value));
            break;
        case SQL_C_ULONG:
            rc = sqlite3_bind_int64(stmt, index, read_number<SQLUINTEGER>(value));
            break;
        case SQL_C_SSHORT:
        case SQL_C_SHORT:
            rc = sqlite3_bind_int64(stmt, index, read_number<SQLSMALLINT>(value));
            break;
        case SQL_C_USHORT:
            rc = sqlite3_bind_int64(stmt, index, read_number<SQLUSMALLINT>(value));
            break;
        case SQL_C_STINYINT:
        case SQL_C_TINYINT:
            rc = sqlite3_bind_int64(stmt, index, read_number<signed char>(value));
            break;
        case SQL_C_UTINYINT:
        case SQL_C_BIT:
            rc = sqlite3_bind_int64(stmt, index, read_number<unsigned char>(value));
            break;
        case SQL_C_SBIGINT:
            rc = sqlite3_bind_int64(stmt, index, read_number<std::int64_t>(value));
            break;
        case SQL_C_UBIGINT: {
            const auto u = read_number<std::uint64_t>(value);
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return diag.error("22003", "Numeric value out of range in " + which + ".");
            }
            rc = sqlite3_bind_int64(stmt, index, static_cast<std::int64_t>(u));
            break;
        }
        case SQL_C_DOUBLE:
            rc = sqlite3_bind_double(stmt, index, read_number<double>(value));
            break;
        case SQL_C_FLOAT:
            rc = sqlite3_bind_double(stmt, index, read_number<float>(value));
            break;
        default:
            return diag.error("HYC00", "Optional feature not implemented: C type " +
                                           std::to_string(c_type) + " for " + which + ".");
        }
    }
    if (rc != SQLITE_OK) {
        const SqlFailure f = describe_sqlite_failure(sqlite3_db_handle(stmt), rc, false);
        return diag.error(f.sqlstate, f.message + " (" + which + ")", f.native);
    }
    return SQL_SUCCESS;
}

} // namespace

bool supported_parameter_type(SQLSMALLINT c_type) {
    switch (c_type) {
    case SQL_C_DEFAULT:
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY:
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_ULONG:
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_USHORT:
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE:
    case SQL_C_FLOAT:
        return true;
    default:
        return false;
    }
}

SQLRETURN bind_parameters(Statement& st, sqlite3_stmt* stmt, std::size_t set) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const auto it = st.parameters.find(static_cast<SQLUSMALLINT>(i));
        if (i > std::numeric_limits<SQLUSMALLINT>::max() || it == st.parameters.end()) {
            return st.diag.error("07002", "COUNT field incorrect: the statement has " +
                                              std::to_string(count) +
                                              " parameter(s), but no value is bound to parameter " +
                                              std::to_string(i) + ".");
        }
        const SQLRETURN rc = bind_one(st, st.diag, stmt, i, it->second, set);
        if (rc != SQL_SUCCESS) {
            return rc;
        }
    }
    return SQL_SUCCESS;
}

} // namespace brevicor::engine
