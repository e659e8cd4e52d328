// Copying result values into application buffers (SQLBindCol / SQLGetData conversions).
#pragma once

#include "diagnostics.hpp"
#include "handles.hpp"
#include "result_set.hpp"

namespace brevicor::engine {

// Writes `value` into `target` as `c_type`. Text too long for the buffer is cut to
// buffer_length-1 bytes plus NUL, the indicator receives the full remaining length and 01004
// is recorded. `progress` is non-null for SQLGetData, which continues where the previous call
// on the same column stopped and answers SQL_NO_DATA once everything was delivered.
SQLRETURN deliver_value(const Value& value, const ColumnInfo& column, SQLSMALLINT c_type,
                        SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator,
                        GetDataProgress* progress, Diagnostics& diag);

// Decimal text of numbers, bytes of text: what SQL_C_CHAR gives for the value.
std::string character_form(const Value& value);

} // namespace brevicor::engine
