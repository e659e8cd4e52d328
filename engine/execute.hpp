// Running statement text against the library file.
#pragma once

#include "handles.hpp"

#include <string>

namespace brevicor::engine {

// Gives the statement new text: forgets what was compiled for the old one.
void set_statement_text(Statement& st, std::string sql, bool prepared);

// Runs `st.sql`. Rows are read completely before returning so no lock is held afterwards.
// A searched UPDATE or DELETE that changes no row answers SQL_NO_DATA.
SQLRETURN execute_statement(Statement& st);

// Compiles `st.sql` without running it, to answer SQLNumResultCols/SQLDescribeCol after
// SQLPrepare. Errors in the text are reported here only when the application asks.
SQLRETURN describe_prepared(Statement& st);

// Opens a cursor over rows the driver built itself (catalog functions).
void open_cursor(Statement& st, ResultSet rows);

void close_cursor(Statement& st);

// First keyword of a statement, upper-case ("SELECT", "UPDATE"...); skips blanks and comments.
std::string leading_keyword(const std::string& sql);

} // namespace brevicor::engine
