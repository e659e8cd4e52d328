#include "transaction.hpp"

#include "execute.hpp"
#include "library.hpp"

namespace brevicor::engine {

namespace {

bool manual_commit(const Connection& c) {
    const auto it = c.attrs.find(SQL_ATTR_AUTOCOMMIT);
    return it != c.attrs.end() && it->second == SQL_AUTOCOMMIT_OFF;
}

SQLULEN isolation(const Connection& c) {
    const auto it = c.attrs.find(SQL_ATTR_TXN_ISOLATION);
    return it != c.attrs.end() ? it->second : SQL_TXN_READ_COMMITTED;
}

// Statements that manage the transaction themselves are left alone.
bool controls_transaction(const std::string& sql) {
    const std::string keyword = leading_keyword(sql);
    return keyword == "BEGIN" || keyword == "COMMIT" || keyword == "END" || keyword == "ROLLBACK" ||
           keyword == "SAVEPOINT" || keyword == "RELEASE";
}

SQLRETURN run(Connection& c, Diagnostics& diag, const char* sql) {
    const int rc = sqlite3_exec(c.db.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const SqlFailure f = describe_sqlite_failure(c.db.get(), rc, false);
        return diag.error(f.sqlstate, f.message, f.native);
    }
    return SQL_SUCCESS;
}

} // namespace

bool transaction_open(const Connection& c) {
    return c.db && sqlite3_get_autocommit(c.db.get()) == 0;
}

SQLRETURN begin_for_statement(Statement& st, sqlite3_stmt* stmt) {
    Connection& c = *st.dbc;
    if (!manual_commit(c) || transaction_open(c) || controls_transaction(st.sql)) {
        return SQL_SUCCESS;
    }
    if (isolation(c) != SQL_TXN_SERIALIZABLE && sqlite3_stmt_readonly(stmt) != 0) {
        return SQL_SUCCESS;
    }
    return run(c, st.diag, "BEGIN");
}

SQLRETURN end_transaction(Connection& c, SQLSMALLINT completion) {
    if (completion != SQL_COMMIT && completion != SQL_ROLLBACK) {
        return c.diag.error("HY012", "Invalid transaction operation code.");
    }
    if (!transaction_open(c)) {
        return SQL_SUCCESS;
    }
    // A failed COMMIT (another program holds a read lock past the wait) leaves the
    // transaction open, so the application can try again or roll back.
    return run(c, c.diag, completion == SQL_COMMIT ? "COMMIT" : "ROLLBACK");
}

SQLRETURN set_autocommit(Connection& c, SQLULEN value) {
    if (value != SQL_AUTOCOMMIT_ON && value != SQL_AUTOCOMMIT_OFF) {
        return c.diag.error("HY024", "Invalid attribute value.");
    }
    // Switching autocommit back on commits what is open, as ODBC defines.
    if (value == SQL_AUTOCOMMIT_ON && manual_commit(c)) {
        const SQLRETURN rc = end_transaction(c, SQL_COMMIT);
        if (rc != SQL_SUCCESS) {
            return rc;
        }
    }
    c.attrs[SQL_ATTR_AUTOCOMMIT] = value;
    return SQL_SUCCESS;
}

SQLRETURN set_isolation(Connection& c, SQLULEN value) {
    SQLULEN provided = 0;
    switch (value) {
    case SQL_TXN_READ_UNCOMMITTED:
    case SQL_TXN_READ_COMMITTED:
        provided = SQL_TXN_READ_COMMITTED;
        break;
    case SQL_TXN_REPEATABLE_READ:
    case SQL_TXN_SERIALIZABLE:
        provided = SQL_TXN_SERIALIZABLE;
        break;
    default:
        return c.diag.error("HY024", "Invalid attribute value: unknown isolation level.");
    }
    if (transaction_open(c)) {
        return c.diag.error("HY011", "Attribute cannot be set now: a transaction is open on the "
                                     "connection.");
    }
    c.attrs[SQL_ATTR_TXN_ISOLATION] = provided;
    if (provided != value) {
        c.diag.add("01S02", "Option value changed: the library provides the next stricter "
                            "isolation level.");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

void note_lost_transaction(Statement& st, bool was_open) {
    if (was_open && !transaction_open(*st.dbc)) {
        st.diag.add("40001", "The failed statement ended the open transaction: everything it "
                             "held was rolled back.");
    }
}

} // namespace brevicor::engine
