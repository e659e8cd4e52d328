// Internal handle types of the phrase-store driver. The driver manager only ever sees these
// as opaque pointers; every object is owned by its parent through unique_ptr, so freeing an
// environment or connection can never leak what hangs below it.
//
// Threads: an environment's mutex guards its connection list and its own state; a
// connection's mutex guards the connection and everything below it (its statements, their
// bindings, results and diagnostics, the SQLite handle). Every entry point takes the mutex of
// the handle it works on, so separate connections run in parallel, and calls on one
// connection (or its statements) from several threads are safe but run one after another.
// SQLCancel alone takes no lock: it must reach a statement that is running.
#pragma once

#include "diagnostics.hpp"
#include "result_set.hpp"
#include "sqlite_handle.hpp"

#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brevicor::engine {

struct Connection;
struct Statement;

struct Environment {
    std::recursive_mutex mutex;
    Diagnostics diag;
    std::atomic<SQLINTEGER> odbc_version = SQL_OV_ODBC3;
    std::list<std::unique_ptr<Connection>> connections;
};

struct Connection {
    explicit Connection(Environment* owner) : env(owner) {}
    std::recursive_mutex mutex;
    Environment* env;
    Diagnostics diag;
    SqliteDb db;
    std::string path; // the library file as given (after separator clean-up)
    std::string connect_string;
    std::map<SQLINTEGER, SQLULEN> attrs;
    std::list<std::unique_ptr<Statement>> statements;
};

// One application column binding made with SQLBindCol.
struct ColumnBinding {
    SQLSMALLINT c_type = SQL_C_DEFAULT;
    SQLPOINTER target = nullptr;
    SQLLEN buffer_length = 0;
    SQLLEN* indicator = nullptr;
};

// One application parameter binding made with SQLBindParameter; read at execution time.
struct ParameterBinding {
    SQLSMALLINT c_type = SQL_C_DEFAULT;
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLPOINTER value = nullptr;
    SQLLEN buffer_length = 0;
    SQLLEN* indicator = nullptr;
};

// How far SQLGetData has read a column of the current row (for piecewise reads).
struct GetDataProgress {
    std::size_t offset = 0;
    bool finished = false;
};

struct Statement {
    explicit Statement(Connection* owner);
    Connection* dbc;
    Diagnostics diag;
    std::string sql;         // text given to SQLPrepare, run by SQLExecute
    bool prepared = false;   // SQLPrepare was called since the last SQLExecDirect
    bool has_cursor = false; // a result set is open
    ResultSet result;        // materialised rows of the open cursor
    std::size_t next_row = 0;
    bool on_row = false; // a row has been fetched and is current
    std::vector<GetDataProgress> getdata;
    SQLLEN row_count = -1;
    std::map<SQLUSMALLINT, ColumnBinding> bindings;
    std::map<SQLINTEGER, SQLULEN> attrs;
    std::map<SQLUSMALLINT, ParameterBinding> parameters;
    // The text compiled once and run again on each SQLExecute; reset after each run, so it
    // holds no lock between executions.
    SqliteStmt compiled;
    // Column descriptions of the compiled text, kept so that describing after an execution
    // never compiles the text again (after DDL it would no longer compile).
    std::vector<ColumnInfo> described;
    int described_parameters = 0; // markers in the prepared text
    bool described_valid = false;
    // Stopping a running statement: SQLCancel, from any thread, sets `cancel` while
    // `running`; the statement's progress check then interrupts it and records why.
    enum class Stop { None, Cancelled, TimedOut };
    std::atomic<bool> running{false};
    std::atomic<bool> cancel{false};
    // SQLCancel between calls: the driver manager then takes the cursor for closed, so the
    // driver closes it at the statement's next call.
    std::atomic<bool> close_requested{false};
    Stop stopped = Stop::None;
};

} // namespace brevicor::engine
