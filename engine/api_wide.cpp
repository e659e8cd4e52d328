// The wide (W) entry points, for Unicode clients such as pyodbc. The driver manager calls
// them only on connections opened with SQLConnectW or SQLDriverConnectW; the program's ANSI
// connections never reach them, so its bytes pass through unchanged.
//
// SQL text and names arrive as UTF-16 and are turned into the library's Windows-1252 bytes;
// a character Windows-1252 cannot hold is refused with 22018, never replaced. Connection
// strings and data source names are file system text instead, so they become UTF-8. Text
// columns are described to these clients as wide types (SQL_WVARCHAR, SQL_WLONGVARCHAR), so
// they fetch text as UTF-16 and read accented letters correctly.
#include "api_support.hpp"
#include "convert.hpp"

#include <sqlucode.h>

#include <vector>

using namespace brevicor::engine;

namespace {

std::u16string wide_argument(const SQLWCHAR* text, SQLINTEGER length) {
    if (text == nullptr) {
        return {};
    }
    std::size_t n = 0;
    if (length == SQL_NTS || length < 0) {
        while (text[n] != 0) {
            ++n;
        }
    } else {
        while (n < static_cast<std::size_t>(length) && text[n] != 0) {
            ++n;
        }
    }
    std::u16string out(n, u'\0');
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<char16_t>(text[i]);
    }
    return out;
}

// UTF-16 to UTF-8 (file names, connection strings). Lone surrogates become U+FFFD.
std::string to_utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-8 to UTF-16; bytes that are not UTF-8 are taken as Windows-1252 (the driver's own
// messages mix library text and file names).
std::u16string from_utf8_or_1252(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        std::size_t extra = b >= 0xC2 && b <= 0xDF   ? 1
                            : b >= 0xE0 && b <= 0xEF ? 2
                            : b >= 0xF0 && b <= 0xF4 ? 3
                                                     : 0;
        char32_t c = b & (0x3F >> extra);
        bool valid = extra != 0 && i + extra < text.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + k]);
            valid = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        if (!valid) {
            out += widen_1252(text.substr(i, 1));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += extra + 1;
    }
    return out;
}

// Copies UTF-16 text into an application buffer, NUL-terminated. `capacity` and `*length`
// count bytes when `in_bytes`, characters otherwise. Truncation is recorded as 01004 in
// `diag` when one is given.
template <typename Length>
SQLRETURN write_wide(std::u16string_view text, SQLPOINTER buffer, SQLLEN capacity, Length* length,
                     bool in_bytes, Diagnostics* diag) {
    const std::size_t unit = in_bytes ? sizeof(SQLWCHAR) : 1;
    if (length != nullptr) {
        *length = static_cast<Length>(text.size() * unit);
    }
    const std::size_t room = capacity > 0 ? static_cast<std::size_t>(capacity) / unit : 0;
    // `room` counts characters from here on.
    if (buffer == nullptr || room == 0) {
        return SQL_SUCCESS;
    }
    const std::size_t n = std::min(text.size(), room - 1);
    auto* out = static_cast<SQLWCHAR*>(buffer);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<SQLWCHAR>(text[i]);
    }
    out[n] = 0;
    if (n < text.size()) {
        if (diag != nullptr) {
            diag->add("01004", "String data, right truncated.");
        }
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

// Calls an ANSI entry point that writes text, with a buffer large enough for all of it.
template <typename Length, typename Fn> SQLRETURN whole_text(std::string& out, Fn&& call) {
    std::vector<char> buffer(1024);
    Length length = 0;
    SQLRETURN rc = call(buffer.data(), static_cast<Length>(buffer.size()), &length);
    if (SQL_SUCCEEDED(rc) && length >= 0 && static_cast<std::size_t>(length) >= buffer.size()) {
        buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
        rc = call(buffer.data(), static_cast<Length>(buffer.size()), &length);
    }
    out.clear();
    if (SQL_SUCCEEDED(rc) && length > 0) {
        out.assign(buffer.data(), std::min(static_cast<std::size_t>(length), buffer.size() - 1));
    }
    return rc;
}

// The return code of a call whose text was copied afterwards: a truncation downgrades success.
SQLRETURN combine(SQLRETURN call, SQLRETURN copy) {
    if (call == SQL_SUCCESS && copy == SQL_SUCCESS_WITH_INFO) {
        return SQL_SUCCESS_WITH_INFO;
    }
    return call;
}

template <typename Handle> Diagnostics& diag_of(SQLHANDLE handle) {
    return static_cast<Handle*>(handle)->diag;
}

// Text meant for the library (SQL, patterns) in Windows-1252, or 22018 on the handle.
template <typename Handle>
bool library_text(SQLHANDLE handle, const SQLWCHAR* text, SQLINTEGER length, std::string& out,
                  SQLRETURN& rc) {
    char32_t refused = 0;
    const auto narrow = narrow_1252(wide_argument(text, length), refused);
    if (narrow) {
        out = *narrow;
        return true;
    }
    rc = enter<Handle>(handle, [&](Handle& h) -> SQLRETURN {
        return h.diag.error("22018", "Invalid character value: the "
                                     "statement holds the character " +
                                         code_point_name(refused) +
                                         ", which Windows-1252 library text cannot hold.");
    });
    return false;
}

SQLCHAR* bytes(std::string& s) {
    return reinterpret_cast<SQLCHAR*>(s.data());
}

SQLSMALLINT wide_type(SQLSMALLINT type) {
    switch (type) {
    case SQL_CHAR:
        return SQL_WCHAR;
    case SQL_VARCHAR:
        return SQL_WVARCHAR;
    case SQL_LONGVARCHAR:
        return SQL_WLONGVARCHAR;
    default:
        return type;
    }
}

bool text_field(SQLUSMALLINT field) {
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_COLUMN_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
        return true;
    default:
        return false;
    }
}

bool diag_text_field(SQLSMALLINT field) {
    switch (field) {
    case SQL_DIAG_SQLSTATE:
    case SQL_DIAG_MESSAGE_TEXT:
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
    case SQL_DIAG_DYNAMIC_FUNCTION:
        return true;
    default:
        return false;
    }
}

std::unique_lock<std::recursive_mutex> lock_handle(SQLSMALLINT type, SQLHANDLE handle) {
    if (handle == nullptr) {
        return {};
    }
    switch (type) {
    case SQL_HANDLE_ENV:
        return std::unique_lock(mutex_of(*static_cast<Environment*>(handle)));
    case SQL_HANDLE_DBC:
        return std::unique_lock(mutex_of(*static_cast<Connection*>(handle)));
    case SQL_HANDLE_STMT:
        return std::unique_lock(mutex_of(*static_cast<Statement*>(handle)));
    default:
        return {};
    }
}

} // namespace

#pragma GCC visibility push(default)
extern "C" {

SQLRETURN SQL_API SQLConnectW(SQLHDBC dbc, SQLWCHAR* dsn, SQLSMALLINT dsn_length, SQLWCHAR* user,
                              SQLSMALLINT user_length, SQLWCHAR* password,
                              SQLSMALLINT password_length) {
    std::string name = to_utf8(wide_argument(dsn, dsn_length));
    std::string who = to_utf8(wide_argument(user, user_length));
    std::string secret = to_utf8(wide_argument(password, password_length));
    return SQLConnect(dbc, bytes(name), SQL_NTS, bytes(who), SQL_NTS, bytes(secret), SQL_NTS);
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC dbc, SQLHWND window, SQLWCHAR* in,
                                    SQLSMALLINT in_length, SQLWCHAR* out, SQLSMALLINT out_max,
                                    SQLSMALLINT* out_length, SQLUSMALLINT completion) {
    if (dbc == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    const auto lock = lock_handle(SQL_HANDLE_DBC, dbc);
    std::string text = to_utf8(wide_argument(in, in_length));
    std::string result;
    const SQLRETURN rc =
        whole_text<SQLSMALLINT>(result, [&](char* b, SQLSMALLINT n, SQLSMALLINT* l) {
            return SQLDriverConnect(dbc, window, bytes(text), SQL_NTS,
                                    reinterpret_cast<SQLCHAR*>(b), n, l, completion);
        });
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    return combine(rc, write_wide(from_utf8_or_1252(result), out, out_max, out_length, false,
                                  &diag_of<Connection>(dbc)));
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    if (text == nullptr) {
        return SQLPrepare(stmt, nullptr, 0);
    }
    std::string sql;
    SQLRETURN rc = SQL_ERROR;
    if (!library_text<Statement>(stmt, text, length, sql, rc)) {
        return rc;
    }
    return SQLPrepare(stmt, bytes(sql), static_cast<SQLINTEGER>(sql.size()));
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    if (text == nullptr) {
        return SQLExecDirect(stmt, nullptr, 0);
    }
    std::string sql;
    SQLRETURN rc = SQL_ERROR;
    if (!library_text<Statement>(stmt, text, length, sql, rc)) {
        return rc;
    }
    return SQLExecDirect(stmt, bytes(sql), static_cast<SQLINTEGER>(sql.size()));
}

SQLRETURN SQL_API SQLNativeSqlW(SQLHDBC dbc, SQLWCHAR* in, SQLINTEGER in_length, SQLWCHAR* out,
                                SQLINTEGER out_max, SQLINTEGER* out_length) {
    if (dbc == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    const auto lock = lock_handle(SQL_HANDLE_DBC, dbc);
    std::string sql;
    SQLRETURN rc = SQL_ERROR;
    if (!library_text<Connection>(dbc, in, in_length, sql, rc)) {
        return rc;
    }
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        return write_wide(widen_1252(sql), out, out_max, out_length, false, &c.diag);
    });
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT stmt, SQLUSMALLINT number, SQLWCHAR* name,
                                  SQLSMALLINT name_max, SQLSMALLINT* name_length,
                                  SQLSMALLINT* data_type, SQLULEN* size, SQLSMALLINT* digits,
                                  SQLSMALLINT* nullable) {
    if (stmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    const auto lock = lock_handle(SQL_HANDLE_STMT, stmt);
    std::string narrow;
    const SQLRETURN rc =
        whole_text<SQLSMALLINT>(narrow, [&](char* b, SQLSMALLINT n, SQLSMALLINT* l) {
            return SQLDescribeCol(stmt, number, reinterpret_cast<SQLCHAR*>(b), n, l, data_type,
                                  size, digits, nullable);
        });
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    if (data_type != nullptr) {
        *data_type = wide_type(*data_type);
    }
    return combine(rc, write_wide(widen_1252(narrow), name, name_max, name_length, false,
                                  &diag_of<Statement>(stmt)));
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT stmt, SQLUSMALLINT number, SQLUSMALLINT field,
                                   SQLPOINTER text, SQLSMALLINT text_max, SQLSMALLINT* text_length,
                                   SQLLEN* numeric) {
    if (stmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    const auto lock = lock_handle(SQL_HANDLE_STMT, stmt);
    if (!text_field(field)) {
        SQLRETURN rc = SQLColAttribute(stmt, number, field, text, text_max, text_length, numeric);
        if (SQL_SUCCEEDED(rc) && numeric != nullptr &&
            (field == SQL_DESC_TYPE || field == SQL_DESC_CONCISE_TYPE ||
             field == SQL_COLUMN_TYPE)) {
            *numeric = wide_type(static_cast<SQLSMALLINT>(*numeric));
        }
        return rc;
    }
    std::string narrow;
    const SQLRETURN rc =
        whole_text<SQLSMALLINT>(narrow, [&](char* b, SQLSMALLINT n, SQLSMALLINT* l) {
            return SQLColAttribute(stmt, number, field, b, n, l, numeric);
        });
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    return combine(rc, write_wide(widen_1252(narrow), text, text_max, text_length, true,
                                  &diag_of<Statement>(stmt)));
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                 SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* text,
                                 SQLSMALLINT text_max, SQLSMALLINT* text_length) {
    if (text_max < 0) {
        return SQL_ERROR;
    }
    const auto lock = lock_handle(type, handle);
    SQLCHAR narrow_state[6] = {};
    std::string message;
    const SQLRETURN rc =
        whole_text<SQLSMALLINT>(message, [&](char* b, SQLSMALLINT n, SQLSMALLINT* l) {
            return SQLGetDiagRec(type, handle, record, narrow_state, native,
                                 reinterpret_cast<SQLCHAR*>(b), n, l);
        });
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    if (state != nullptr) {
        for (int i = 0; i < 6; ++i) {
            state[i] = narrow_state[i];
        }
    }
    return combine(
        rc, write_wide(from_utf8_or_1252(message), text, text_max, text_length, false, nullptr));
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                   SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT value_max,
                                   SQLSMALLINT* length) {
    if (!diag_text_field(field)) {
        return SQLGetDiagField(type, handle, record, field, value, value_max, length);
    }
    const auto lock = lock_handle(type, handle);
    std::string narrow;
    const SQLRETURN rc =
        whole_text<SQLSMALLINT>(narrow, [&](char* b, SQLSMALLINT n, SQLSMALLINT* l) {
            return SQLGetDiagField(type, handle, record, field, b, n, l);
        });
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    return combine(rc,
                   write_wide(from_utf8_or_1252(narrow), value, value_max, length, true, nullptr));
}

SQLRETURN SQL_API SQLErrorW(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLWCHAR* state,
                            SQLINTEGER* native, SQLWCHAR* text, SQLSMALLINT text_max,
                            SQLSMALLINT* text_length) {
    // One call only: SQLError hands each record out once.
    SQLCHAR narrow_state[6] = {};
    std::vector<char> message(4096);
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLError(env, dbc, stmt, narrow_state, native, reinterpret_cast<SQLCHAR*>(message.data()),
                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    if (state != nullptr) {
        for (int i = 0; i < 6; ++i) {
            state[i] = narrow_state[i];
        }
    }
    const std::string_view got(
        message.data(),
        std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                              message.size() - 1));
    return combine(rc,
                   write_wide(from_utf8_or_1252(got), text, text_max, text_length, false, nullptr));
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER buffer_length, SQLINTEGER* length) {
    if (attribute != SQL_ATTR_CURRENT_CATALOG) {
        return SQLGetConnectAttr(dbc, attribute, value, buffer_length, length);
    }
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        return write_wide(u"", value, buffer_length, length, true, &c.diag);
    });
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER length) {
    // No string attribute changes anything (the only one, the catalog, is ignored).
    return SQLSetConnectAttr(dbc, attribute, value, length);
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER buffer_length, SQLINTEGER* length) {
    return SQLGetStmtAttr(stmt, attribute, value, buffer_length, length);
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER length) {
    return SQLSetStmtAttr(stmt, attribute, value, length);
}

SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT stmt, SQLSMALLINT data_type) {
    return SQLGetTypeInfo(stmt, data_type);
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT stmt, SQLWCHAR* catalog, SQLSMALLINT catalog_length,
                             SQLWCHAR* schema, SQLSMALLINT schema_length, SQLWCHAR* table,
                             SQLSMALLINT table_length, SQLWCHAR* types, SQLSMALLINT types_length) {
    std::string t;
    std::string y;
    SQLRETURN rc = SQL_ERROR;
    if ((table != nullptr && !library_text<Statement>(stmt, table, table_length, t, rc)) ||
        (types != nullptr && !library_text<Statement>(stmt, types, types_length, y, rc))) {
        return rc;
    }
    (void)catalog;
    (void)catalog_length;
    (void)schema;
    (void)schema_length;
    return SQLTables(stmt, nullptr, 0, nullptr, 0, table != nullptr ? bytes(t) : nullptr, SQL_NTS,
                     types != nullptr ? bytes(y) : nullptr, SQL_NTS);
}

SQLRETURN SQL_API SQLColumnsW(SQLHSTMT stmt, SQLWCHAR* catalog, SQLSMALLINT catalog_length,
                              SQLWCHAR* schema, SQLSMALLINT schema_length, SQLWCHAR* table,
                              SQLSMALLINT table_length, SQLWCHAR* column,
                              SQLSMALLINT column_length) {
    std::string t;
    std::string c;
    SQLRETURN rc = SQL_ERROR;
    if ((table != nullptr && !library_text<Statement>(stmt, table, table_length, t, rc)) ||
        (column != nullptr && !library_text<Statement>(stmt, column, column_length, c, rc))) {
        return rc;
    }
    (void)catalog;
    (void)catalog_length;
    (void)schema;
    (void)schema_length;
    return SQLColumns(stmt, nullptr, 0, nullptr, 0, table != nullptr ? bytes(t) : nullptr, SQL_NTS,
                      column != nullptr ? bytes(c) : nullptr, SQL_NTS);
}

} // extern "C"
#pragma GCC visibility pop
