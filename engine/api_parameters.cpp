// Parameter entry points: SQLBindParameter, SQLNumParams, SQLDescribeParam. The values are
// read and bound when the statement executes (parameters.cpp).
#include "api_support.hpp"
#include "execute.hpp"
#include "parameters.hpp"

using namespace brevicor::engine;

namespace {

// Compiles the prepared text to learn its markers; errors in the text are the engine's own.
SQLRETURN count_markers(Statement& st, int& count) {
    if (!st.prepared) {
        return st.diag.error("HY010", "Function sequence error: no prepared statement.");
    }
    const SQLRETURN rc = describe_prepared(st);
    count = st.described_parameters;
    return rc;
}

} // namespace

#pragma GCC visibility push(default)
extern "C" {

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT io_type,
                                   SQLSMALLINT c_type, SQLSMALLINT sql_type, SQLULEN, SQLSMALLINT,
                                   SQLPOINTER value, SQLLEN buffer_length, SQLLEN* indicator) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (number == 0) {
            return st.diag.error("07009", "Invalid descriptor index 0: parameters count from 1.");
        }
        if (io_type != SQL_PARAM_INPUT) {
            // Nothing the library holds can be returned through a parameter.
            return st.diag.error("HYC00",
                                 "Optional feature not implemented: only input parameters.");
        }
        if (!supported_parameter_type(c_type)) {
            return st.diag.error("HYC00", "Optional feature not implemented: C type " +
                                              std::to_string(c_type) + " for parameter " +
                                              std::to_string(number) + ".");
        }
        if (buffer_length < 0) {
            return st.diag.error("HY090", "Invalid string or buffer length.");
        }
        if (value == nullptr && indicator == nullptr) {
            return st.diag.error("HY009", "Invalid use of null pointer.");
        }
        st.parameters[number] = ParameterBinding{c_type, sql_type, value, buffer_length, indicator};
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT stmt, SQLSMALLINT* count) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        int n = 0;
        const SQLRETURN rc = count_markers(st, n);
        if (rc == SQL_SUCCESS && count != nullptr) {
            *count = static_cast<SQLSMALLINT>(std::min(n, 32767));
        }
        return rc;
    });
}

SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT* data_type,
                                   SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        int n = 0;
        const SQLRETURN rc = count_markers(st, n);
        if (rc != SQL_SUCCESS) {
            return rc;
        }
        if (number < 1 || number > n) {
            return st.diag.error("07009",
                                 "Invalid descriptor index " + std::to_string(number) + ".");
        }
        // The engine does not say what a marker is compared with; text of the short columns'
        // size is what every value of the library converts to.
        if (data_type != nullptr) {
            *data_type = SQL_VARCHAR;
        }
        if (size != nullptr) {
            *size = 255;
        }
        if (digits != nullptr) {
            *digits = 0;
        }
        if (nullable != nullptr) {
            *nullable = SQL_NULLABLE_UNKNOWN;
        }
        return SQL_SUCCESS;
    });
}

} // extern "C"
#pragma GCC visibility pop
