// Statement parameters: the C types SQLBindParameter accepts and binding the application's
// values into a compiled statement at execution time.
#pragma once

#include "handles.hpp"

namespace brevicor::engine {

// Whether SQLBindParameter accepts `c_type` (SQL_C_DEFAULT included).
bool supported_parameter_type(SQLSMALLINT c_type);

// Binds every parameter marker of `stmt` from the statement's bindings, reading the values
// of parameter set `set` (0 unless SQL_ATTR_PARAMSET_SIZE asks for an array) now: they may
// change between executions. Fails with 07002 when a marker has no binding.
SQLRETURN bind_parameters(Statement& st, sqlite3_stmt* stmt, std::size_t set);

} // namespace brevicor::engine
