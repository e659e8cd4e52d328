// Copying result values into application buffers (SQLBindCol / SQLGetData conversions).
#pragma once

#include "diagnostics.hpp"
#include "handles.hpp"
#include "result_set.hpp"

#include <optional>
#include <string_view>

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

// Windows-1252 bytes of UTF-16 text, the inverse of what SQL_C_WCHAR delivers. Returns
// nothing when a character has no byte; `refused` then receives that code point (a lone
// surrogate counts as itself).
std::optional<std::string> narrow_1252(std::u16string_view text, char32_t& refused);

// UTF-16 form of Windows-1252 bytes (every byte has one).
std::u16string widen_1252(std::string_view bytes);

// "U+20AC": how diagnostics name a character.
std::string code_point_name(char32_t c);

} // namespace brevicor::engine
