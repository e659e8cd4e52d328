// Statement entry points: prepare/execute, result description, fetching, catalogs.
#include "api_support.hpp"
#include "catalog.hpp"
#include "connection_string.hpp"
#include "convert.hpp"
#include "execute.hpp"

using namespace brevicor::engine;

namespace {

// Running a statement again while its rows are still open would silently drop them.
constexpr const char* kCursorStillOpen =
    "Invalid cursor state: the statement's result set is still open; close it with "
    "SQLCloseCursor or SQLFreeStmt(SQL_CLOSE) first.";

// Columns of the open cursor, or of the prepared statement before it runs.
const std::vector<ColumnInfo>* columns_of(Statement& st, SQLRETURN& rc) {
    rc = SQL_SUCCESS;
    if (st.has_cursor) {
        return &st.result.columns;
    }
    if (st.prepared) {
        rc = describe_prepared(st);
        return rc == SQL_SUCCESS ? &st.described : nullptr;
    }
    static const std::vector<ColumnInfo> none;
    return &none;
}

const ColumnInfo* column_at(Statement& st, SQLUSMALLINT number, SQLRETURN& rc) {
    const auto* cols = columns_of(st, rc);
    if (cols == nullptr) {
        return nullptr;
    }
    if (number < 1 || number > cols->size()) {
        rc = st.diag.error("07009", "Invalid descriptor index " + std::to_string(number) + ".");
        return nullptr;
    }
    return &(*cols)[number - 1U];
}

std::optional<std::string> pattern_argument(SQLCHAR* text, SQLSMALLINT length) {
    if (text == nullptr) {
        return std::nullopt;
    }
    return text_argument(text, length);
}

// Fetches one row into the bound columns. `fetched` and `status` are where the row count and
// row status go: the statement attributes for SQLFetch and SQLFetchScroll, the arguments for
// SQLExtendedFetch.
SQLRETURN fetch_next(Statement& st, SQLULEN* fetched, SQLUSMALLINT* status) {
    if (!st.has_cursor) {
        return st.diag.error("24000", "Invalid cursor state: no result set is open.");
    }
    if (st.next_row >= st.result.rows.size()) {
        st.on_row = false;
        if (fetched != nullptr) {
            *fetched = 0;
        }
        return SQL_NO_DATA;
    }
    const Row& row = st.result.rows[st.next_row++];
    st.on_row = true;
    st.getdata.assign(row.size(), GetDataProgress{});
    const auto* offset_ptr =
        reinterpret_cast<const SQLLEN*>(st.attrs[SQL_ATTR_ROW_BIND_OFFSET_PTR]);
    const SQLLEN offset = offset_ptr != nullptr ? *offset_ptr : 0;
    SQLRETURN rc = SQL_SUCCESS;
    for (const auto& [number, binding] : st.bindings) {
        if (number < 1 || number > row.size()) {
            continue;
        }
        char* target =
            binding.target != nullptr ? static_cast<char*>(binding.target) + offset : nullptr;
        SQLLEN* indicator =
            binding.indicator != nullptr
                ? reinterpret_cast<SQLLEN*>(reinterpret_cast<char*>(binding.indicator) + offset)
                : nullptr;
        const SQLRETURN one =
            deliver_value(row[number - 1U], st.result.columns[number - 1U], binding.c_type, target,
                          binding.buffer_length, indicator, nullptr, st.diag);
        if (one == SQL_ERROR) {
            rc = SQL_ERROR;
        } else if (one == SQL_SUCCESS_WITH_INFO && rc == SQL_SUCCESS) {
            rc = SQL_SUCCESS_WITH_INFO;
        }
    }
    if (fetched != nullptr) {
        *fetched = 1;
    }
    if (status != nullptr) {
        status[0] = rc == SQL_SUCCESS             ? SQL_ROW_SUCCESS
                    : rc == SQL_SUCCESS_WITH_INFO ? SQL_ROW_SUCCESS_WITH_INFO
                                                  : SQL_ROW_ERROR;
    }
    return rc;
}

SQLRETURN set_statement_attribute(Statement& st, SQLINTEGER attribute, SQLULEN value) {
    const auto it = st.attrs.find(attribute);
    if (it == st.attrs.end()) {
        return st.diag.error("HY092", "Invalid attribute/option identifier.");
    }
    // Values the driver cannot honour are replaced by the nearest it can (01S02).
    SQLULEN accepted = value;
    switch (attribute) {
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ROWSET_SIZE: // one row per fetch
        accepted = 1;
        break;
    case SQL_ATTR_PARAMSET_SIZE:
        if (value == 0) {
            return st.diag.error("HY024", "Invalid attribute value: at least one set of "
                                          "parameter values is needed.");
        }
        break;
    case SQL_ATTR_CURSOR_TYPE:
        accepted = SQL_CURSOR_FORWARD_ONLY;
        break;
    case SQL_ATTR_CONCURRENCY:
        accepted = SQL_CONCUR_READ_ONLY;
        break;
    case SQL_ATTR_CURSOR_SCROLLABLE:
        accepted = SQL_NONSCROLLABLE;
        break;
    case SQL_ATTR_ASYNC_ENABLE:
    case SQL_ATTR_USE_BOOKMARKS:
        if (value != 0) {
            return st.diag.error("HYC00", "Optional feature not implemented.");
        }
        break;
    default:
        break;
    }
    it->second = accepted;
    if (accepted != value) {
        st.diag.add("01S02", "Option value changed.");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

} // namespace

// Exported entry points; everything else in the driver is hidden.
#pragma GCC visibility push(default)
extern "C" {

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
    if (option == SQL_DROP) {
        return SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        switch (option) {
        case SQL_CLOSE:
            close_cursor(st);
            return SQL_SUCCESS;
        case SQL_UNBIND:
            st.bindings.clear();
            return SQL_SUCCESS;
        case SQL_RESET_PARAMS:
            st.parameters.clear();
            return SQL_SUCCESS;
        default:
            return st.diag.error("HY092", "Invalid attribute/option identifier.");
        }
    });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT stmt) {
    return enter<Statement>(stmt, [](Statement& st) -> SQLRETURN {
        if (!st.has_cursor) {
            return st.diag.error("24000", "Invalid cursor state: no result set is open.");
        }
        close_cursor(st);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT stmt) {
    // Called from another thread while the statement runs: no lock (the running call holds
    // it) and no diagnostics (they belong to the running call). With nothing running, the
    // driver manager takes the cursor for closed, and so does the driver.
    if (stmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    auto* st = static_cast<Statement*>(stmt);
    if (st->running) {
        st->cancel = true;
    } else {
        st->close_requested = true;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    // Only stored here: SQLExecute reports what the engine thinks of the text.
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (text == nullptr) {
            return st.diag.error("HY009", "Invalid use of null pointer.");
        }
        close_cursor(st);
        set_statement_text(st, text_argument(text, length), true);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT stmt) {
    return enter<Statement>(stmt, [](Statement& st) -> SQLRETURN {
        if (!st.prepared) {
            return st.diag.error("HY010", "Function sequence error: no prepared statement.");
        }
        if (st.has_cursor) {
            return st.diag.error("24000", kCursorStillOpen);
        }
        return execute_statement(st);
    });
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (text == nullptr) {
            return st.diag.error("HY009", "Invalid use of null pointer.");
        }
        if (st.has_cursor) {
            return st.diag.error("24000", kCursorStillOpen);
        }
        set_statement_text(st, text_argument(text, length), false);
        return execute_statement(st);
    });
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC dbc, SQLCHAR* in, SQLINTEGER in_length, SQLCHAR* out,
                               SQLINTEGER out_max, SQLINTEGER* out_length) {
    return enter<Connection>(dbc, [&](Connection& c) -> SQLRETURN {
        return write_text(text_argument(in, in_length), out, out_max, out_length, c.diag);
    });
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        SQLRETURN rc = SQL_SUCCESS;
        const auto* cols = columns_of(st, rc);
        if (cols != nullptr && count != nullptr) {
            *count = static_cast<SQLSMALLINT>(cols->size());
        }
        return rc;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT stmt, SQLUSMALLINT number, SQLCHAR* name,
                                 SQLSMALLINT name_max, SQLSMALLINT* name_length,
                                 SQLSMALLINT* data_type, SQLULEN* size, SQLSMALLINT* digits,
                                 SQLSMALLINT* nullable) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        SQLRETURN rc = SQL_SUCCESS;
        const ColumnInfo* col = column_at(st, number, rc);
        if (col == nullptr) {
            return rc;
        }
        if (data_type != nullptr) {
            *data_type = col->sql_type;
        }
        if (size != nullptr) {
            *size = col->size;
        }
        if (digits != nullptr) {
            *digits = col->digits;
        }
        if (nullable != nullptr) {
            *nullable = col->nullable;
        }
        return write_text(col->name, name, name_max, name_length, st.diag);
    });
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT stmt, SQLUSMALLINT number, SQLUSMALLINT field,
                                  SQLPOINTER text, SQLSMALLINT text_max, SQLSMALLINT* text_length,
                                  SQLLEN* numeric) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        SQLRETURN rc = SQL_SUCCESS;
        if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
            const auto* cols = columns_of(st, rc);
            if (cols != nullptr && numeric != nullptr) {
                *numeric = static_cast<SQLLEN>(cols->size());
            }
            return rc;
        }
        const ColumnInfo* col = column_at(st, number, rc);
        if (col == nullptr) {
            return rc;
        }
        auto number_answer = [&](SQLLEN v) -> SQLRETURN {
            if (numeric != nullptr) {
                *numeric = v;
            }
            return SQL_SUCCESS;
        };
        const bool is_text = col->sql_type == SQL_VARCHAR || col->sql_type == SQL_LONGVARCHAR;
        switch (field) {
        case SQL_DESC_NAME:
        case SQL_COLUMN_NAME:
        case SQL_DESC_LABEL:
            return write_text(col->name, text, text_max, text_length, st.diag);
        case SQL_DESC_BASE_COLUMN_NAME:
            return write_text(col->base_column, text, text_max, text_length, st.diag);
        case SQL_DESC_TABLE_NAME:
        case SQL_DESC_BASE_TABLE_NAME:
            return write_text(col->table, text, text_max, text_length, st.diag);
        case SQL_DESC_TYPE_NAME:
        case SQL_DESC_LOCAL_TYPE_NAME:
            return write_text(col->type_name, text, text_max, text_length, st.diag);
        case SQL_DESC_SCHEMA_NAME:
        case SQL_DESC_CATALOG_NAME:
            return write_text("", text, text_max, text_length, st.diag);
        case SQL_DESC_LITERAL_PREFIX:
        case SQL_DESC_LITERAL_SUFFIX:
            return write_text(is_text ? "'" : "", text, text_max, text_length, st.diag);
        case SQL_DESC_TYPE:
        case SQL_DESC_CONCISE_TYPE:
            return number_answer(col->sql_type);
        case SQL_DESC_OCTET_LENGTH:
            return number_answer(octet_length(*col));
        case SQL_DESC_LENGTH:
        case SQL_DESC_PRECISION:
        case SQL_COLUMN_LENGTH:
        case SQL_COLUMN_PRECISION:
            return number_answer(static_cast<SQLLEN>(col->size));
        case SQL_DESC_SCALE:
        case SQL_COLUMN_SCALE:
            return number_answer(col->digits);
        case SQL_DESC_DISPLAY_SIZE:
            return number_answer(display_size(*col));
        case SQL_DESC_NULLABLE:
        case SQL_COLUMN_NULLABLE:
            return number_answer(col->nullable);
        case SQL_DESC_UNSIGNED:
            return number_answer(is_text ? SQL_TRUE : SQL_FALSE);
        case SQL_DESC_AUTO_UNIQUE_VALUE:
            return number_answer(col->auto_unique ? SQL_TRUE : SQL_FALSE);
        case SQL_DESC_CASE_SENSITIVE:
        case SQL_DESC_FIXED_PREC_SCALE:
            return number_answer(SQL_FALSE);
        case SQL_DESC_SEARCHABLE:
            return number_answer(is_text ? SQL_PRED_SEARCHABLE : SQL_PRED_BASIC);
        case SQL_DESC_UPDATABLE:
            return number_answer(col->table.empty() ? SQL_ATTR_READONLY
                                                    : SQL_ATTR_READWRITE_UNKNOWN);
        case SQL_DESC_UNNAMED:
            return number_answer(col->name.empty() ? SQL_UNNAMED : SQL_NAMED);
        case SQL_DESC_NUM_PREC_RADIX:
            return number_answer(is_text ? 0 : 10);
        default:
            return st.diag.error("HY091", "Invalid descriptor field identifier.");
        }
    });
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT c_type,
                             SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (number == 0) {
            return st.diag.error("07009", "Bookmark columns are not supported.");
        }
        if (buffer_length < 0) {
            return st.diag.error("HY090", "Invalid string or buffer length.");
        }
        if (target == nullptr && indicator == nullptr) {
            st.bindings.erase(number);
            return SQL_SUCCESS;
        }
        st.bindings[number] = ColumnBinding{c_type, target, buffer_length, indicator};
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
    return enter<Statement>(stmt, [](Statement& st) -> SQLRETURN {
        return fetch_next(st, reinterpret_cast<SQLULEN*>(st.attrs[SQL_ATTR_ROWS_FETCHED_PTR]),
                          reinterpret_cast<SQLUSMALLINT*>(st.attrs[SQL_ATTR_ROW_STATUS_PTR]));
    });
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (orientation != SQL_FETCH_NEXT) {
            return st.diag.error("HY106", "Fetch type out of range: the cursor is forward-only.");
        }
        return fetch_next(st, reinterpret_cast<SQLULEN*>(st.attrs[SQL_ATTR_ROWS_FETCHED_PTR]),
                          reinterpret_cast<SQLUSMALLINT*>(st.attrs[SQL_ATTR_ROW_STATUS_PTR]));
    });
}

// The ODBC 2 fetch: a rowset of SQL_ROWSET_SIZE rows (always one here), its count and status
// in the arguments.
SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT stmt, SQLUSMALLINT orientation, SQLLEN,
                                   SQLULEN* row_count, SQLUSMALLINT* row_status) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (orientation != SQL_FETCH_NEXT) {
            return st.diag.error("HY106", "Fetch type out of range: the cursor is forward-only.");
        }
        const SQLRETURN rc = fetch_next(st, row_count, row_status);
        if (rc == SQL_NO_DATA && row_count != nullptr) {
            *row_count = 0;
        }
        return rc;
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT c_type,
                             SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (!st.has_cursor || !st.on_row) {
            return st.diag.error("24000", "Invalid cursor state: no current row.");
        }
        if (number < 1 || number > st.result.columns.size()) {
            return st.diag.error("07009",
                                 "Invalid descriptor index " + std::to_string(number) + ".");
        }
        const std::size_t i = number - 1U;
        return deliver_value(st.result.rows[st.next_row - 1][i], st.result.columns[i], c_type,
                             target, buffer_length, indicator, &st.getdata[i], st.diag);
    });
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT stmt, SQLLEN* count) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        if (count != nullptr) {
            *count = st.row_count;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT stmt) {
    // One statement gives at most one result set.
    return enter<Statement>(stmt, [](Statement& st) -> SQLRETURN {
        close_cursor(st);
        return SQL_NO_DATA;
    });
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        return set_statement_attribute(st, attribute, reinterpret_cast<SQLULEN>(value));
    });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER* length) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        SQLULEN answer = 0;
        if (attribute == SQL_ATTR_ROW_NUMBER) {
            answer = st.on_row ? st.next_row : 0;
        } else {
            const auto it = st.attrs.find(attribute);
            if (it == st.attrs.end()) {
                // Includes the descriptor handles: the driver keeps none of its own.
                return st.diag.error("HY092", "Invalid attribute/option identifier.");
            }
            answer = it->second;
        }
        if (value != nullptr) {
            std::memcpy(value, &answer, sizeof answer);
        }
        if (length != nullptr) {
            *length = sizeof answer;
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLTables(SQLHSTMT stmt, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                            SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* types,
                            SQLSMALLINT types_length) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        set_statement_text(st, {}, false);
        return list_tables(st, pattern_argument(table, table_length),
                           pattern_argument(types, types_length));
    });
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT stmt, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                             SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column,
                             SQLSMALLINT column_length) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        set_statement_text(st, {}, false);
        return list_columns(st, pattern_argument(table, table_length),
                            pattern_argument(column, column_length));
    });
}

SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT stmt, SQLSMALLINT data_type) {
    return enter<Statement>(stmt, [&](Statement& st) -> SQLRETURN {
        set_statement_text(st, {}, false);
        return list_types(st, data_type);
    });
}

} // extern "C"
#pragma GCC visibility pop
