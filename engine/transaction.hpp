// Manual-commit transactions (SQL_ATTR_AUTOCOMMIT off) over SQLite's own transactions.
//
// Two isolation levels are real here. Read committed (the default) starts the SQLite
// transaction with the first statement that writes: reads before it see only committed data
// and hold no lock once they return, so a client that only reads never blocks another
// program's saves. Serializable starts it with the first statement of any kind, so everything
// read stays locked against writers until the transaction ends. The other two levels are
// served by the nearest stricter one.
#pragma once

#include "handles.hpp"

#include <sqlite3.h>

namespace brevicor::engine {

// Whether the connection's library file has a transaction open (manual mode, or a BEGIN
// someone typed).
bool transaction_open(const Connection& c);

// In manual-commit mode, opens the transaction `stmt` must run in, per the isolation level.
SQLRETURN begin_for_statement(Statement& st, sqlite3_stmt* stmt);

// SQL_COMMIT or SQL_ROLLBACK of whatever transaction is open; success when none is.
SQLRETURN end_transaction(Connection& c, SQLSMALLINT completion);

// SQL_ATTR_AUTOCOMMIT and SQL_ATTR_TXN_ISOLATION.
SQLRETURN set_autocommit(Connection& c, SQLULEN value);
SQLRETURN set_isolation(Connection& c, SQLULEN value);

// Adds a note when a failed statement made SQLite roll the whole transaction back.
void note_lost_transaction(Statement& st, bool was_open);

} // namespace brevicor::engine
