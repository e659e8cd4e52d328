// SQLTables, SQLColumns and SQLGetTypeInfo answers, built from the library's schema.
#pragma once

#include "handles.hpp"

#include <optional>
#include <string>

namespace brevicor::engine {

// nullopt means "no pattern given" (match everything).
SQLRETURN list_tables(Statement& st, const std::optional<std::string>& table_pattern,
                      const std::optional<std::string>& table_types);
SQLRETURN list_columns(Statement& st, const std::optional<std::string>& table_pattern,
                       const std::optional<std::string>& column_pattern);
SQLRETURN list_types(Statement& st, SQLSMALLINT data_type);

// ODBC search pattern match: % any run, _ any one character, \ escapes; case-insensitive.
bool matches_pattern(const std::string& text, const std::string& pattern);

} // namespace brevicor::engine
