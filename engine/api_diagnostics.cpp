// SQLGetDiagRec, SQLGetDiagField and the ODBC 2 SQLError. Reading never changes the records
// (the driver manager asks for the same record field by field); SQLError, whose contract is to
// hand each record out once, advances its own cursor instead.
#include "api_support.hpp"

using namespace brevicor::engine;

namespace {

Diagnostics* diagnostics_of(SQLSMALLINT type, SQLHANDLE handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    switch (type) {
    case SQL_HANDLE_ENV:
        return &static_cast<Environment*>(handle)->diag;
    case SQL_HANDLE_DBC:
        return &static_cast<Connection*>(handle)->diag;
    case SQL_HANDLE_STMT:
        return &static_cast<Statement*>(handle)->diag;
    default:
        return nullptr;
    }
}

// The lock that guards a handle's diagnostics while they are read.
std::unique_lock<std::recursive_mutex> lock_of(SQLSMALLINT type, SQLHANDLE handle) {
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

// States defined by ODBC rather than by the SQL standard.
bool odbc_defined(const std::string& state) {
    static const char* const classes[] = {"01S", "07S", "08S", "21S", "25S", "42S", "HY", "IM"};
    for (const char* c : classes) {
        if (state.rfind(c, 0) == 0) {
            return true;
        }
    }
    return false;
}

SQLRETURN copy_record(const DiagRecord& r, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* text,
                      SQLSMALLINT text_max, SQLSMALLINT* text_length) {
    if (state != nullptr) {
        std::memcpy(state, r.sqlstate.c_str(), 6);
    }
    if (native != nullptr) {
        *native = r.native;
    }
    Diagnostics scratch; // truncation of a diagnostic is not itself recorded
    return write_text(r.message, text, text_max, text_length, scratch);
}

} // namespace

// Exported entry points; everything else in the driver is hidden.
#pragma GCC visibility push(default)
extern "C" {

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* text,
                                SQLSMALLINT text_max, SQLSMALLINT* text_length) {
    const auto lock = lock_of(type, handle);
    Diagnostics* diag = diagnostics_of(type, handle);
    if (diag == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (record < 1 || text_max < 0) {
        return SQL_ERROR;
    }
    if (static_cast<std::size_t>(record) > diag->records().size()) {
        return SQL_NO_DATA;
    }
    return copy_record(diag->records()[static_cast<std::size_t>(record) - 1], state, native, text,
                       text_max, text_length);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT value_max,
                                  SQLSMALLINT* length) {
    const auto lock = lock_of(type, handle);
    Diagnostics* diag = diagnostics_of(type, handle);
    if (diag == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    Diagnostics scratch;
    auto put = [&](auto v) -> SQLRETURN {
        if (value != nullptr) {
            std::memcpy(value, &v, sizeof v);
        }
        if (length != nullptr) {
            *length = static_cast<SQLSMALLINT>(sizeof v);
        }
        return SQL_SUCCESS;
    };
    switch (field) { // header fields ignore the record number
    case SQL_DIAG_NUMBER:
        return put(static_cast<SQLINTEGER>(diag->records().size()));
    case SQL_DIAG_RETURNCODE:
        return put(static_cast<SQLRETURN>(diag->return_code()));
    case SQL_DIAG_ROW_COUNT:
    case SQL_DIAG_CURSOR_ROW_COUNT: {
        if (type != SQL_HANDLE_STMT) {
            return SQL_ERROR;
        }
        const auto* st = static_cast<Statement*>(handle);
        return put(static_cast<SQLLEN>(field == SQL_DIAG_ROW_COUNT ? st->row_count : -1));
    }
    case SQL_DIAG_DYNAMIC_FUNCTION:
        return write_text("", value, value_max, length, scratch);
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
        return put(static_cast<SQLINTEGER>(SQL_DIAG_UNKNOWN_STATEMENT));
    default:
        break;
    }
    if (record < 1) {
        return SQL_ERROR;
    }
    if (static_cast<std::size_t>(record) > diag->records().size()) {
        return SQL_NO_DATA;
    }
    const DiagRecord& r = diag->records()[static_cast<std::size_t>(record) - 1];
    switch (field) {
    case SQL_DIAG_SQLSTATE:
        return write_text(r.sqlstate, value, value_max, length, scratch);
    case SQL_DIAG_NATIVE:
        return put(r.native);
    case SQL_DIAG_MESSAGE_TEXT:
        return write_text(r.message, value, value_max, length, scratch);
    case SQL_DIAG_CLASS_ORIGIN:
        return write_text(r.sqlstate.rfind("IM", 0) == 0 ? "ODBC 3.0" : "ISO 9075", value,
                          value_max, length, scratch);
    case SQL_DIAG_SUBCLASS_ORIGIN:
        return write_text(odbc_defined(r.sqlstate) ? "ODBC 3.0" : "ISO 9075", value, value_max,
                          length, scratch);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
        return write_text("", value, value_max, length, scratch);
    case SQL_DIAG_COLUMN_NUMBER:
        return put(static_cast<SQLINTEGER>(SQL_COLUMN_NUMBER_UNKNOWN));
    case SQL_DIAG_ROW_NUMBER:
        return put(static_cast<SQLLEN>(SQL_ROW_NUMBER_UNKNOWN));
    default:
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state,
                           SQLINTEGER* native, SQLCHAR* text, SQLSMALLINT text_max,
                           SQLSMALLINT* text_length) {
    const SQLSMALLINT type = stmt != nullptr  ? SQL_HANDLE_STMT
                             : dbc != nullptr ? SQL_HANDLE_DBC
                                              : SQL_HANDLE_ENV;
    const SQLHANDLE handle = stmt != nullptr ? stmt : dbc != nullptr ? dbc : env;
    const auto lock = lock_of(type, handle);
    Diagnostics* diag = diagnostics_of(type, handle);
    if (diag == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    std::size_t& next = diag->odbc2_cursor();
    if (next >= diag->records().size()) {
        return SQL_NO_DATA;
    }
    return copy_record(diag->records()[next++], state, native, text, text_max, text_length);
}

} // extern "C"
#pragma GCC visibility pop
