// Shared plumbing of the exported ODBC entry points.
#pragma once

#include "execute.hpp"
#include "handles.hpp"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <type_traits>

namespace brevicor::engine {

// The mutex that serialises work on a handle (see handles.hpp).
inline std::recursive_mutex& mutex_of(Environment& env) {
    return env.mutex;
}
inline std::recursive_mutex& mutex_of(Connection& c) {
    return c.mutex;
}
inline std::recursive_mutex& mutex_of(Statement& st) {
    return st.dbc->mutex;
}

// Runs one entry point under the handle's mutex: clears the handle's old diagnostics (records live
// until the next call on the same handle), turns C++ exceptions into HY001/HY000 and remembers the
// return code for SQL_DIAG_RETURNCODE.
template <typename Handle, typename Fn> SQLRETURN enter(SQLHANDLE handle, Fn&& fn) {
    if (handle == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    auto& object = *static_cast<Handle*>(handle);
    const std::lock_guard lock(mutex_of(object));
    if constexpr (std::is_same_v<Handle, Statement>) {
        if (object.close_requested.exchange(false)) {
            close_cursor(object);
        }
    }
    object.diag.clear();
    SQLRETURN rc = SQL_ERROR;
    try {
        rc = fn(object);
    } catch (const std::bad_alloc&) {
        rc = object.diag.error("HY001", "Memory allocation error.");
    } catch (const std::exception& e) {
        rc = object.diag.error("HY000", e.what());
    }
    object.diag.return_code() = rc;
    return rc;
}

// Copies text into an application buffer, NUL-terminated, recording 01004 when it is cut.
// `length` (any integer type) receives the full length.
template <typename Length>
SQLRETURN write_text(const std::string& text, SQLPOINTER buffer, SQLLEN buffer_length,
                     Length* length, Diagnostics& diag) {
    if (length != nullptr) {
        *length = static_cast<Length>(text.size());
    }
    if (buffer == nullptr || buffer_length <= 0) {
        return SQL_SUCCESS; // only the length was asked for
    }
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(buffer_length - 1));
    std::memcpy(buffer, text.data(), n);
    static_cast<char*>(buffer)[n] = '\0';
    if (n < text.size()) {
        diag.add("01004", "String data, right truncated.");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

} // namespace brevicor::engine
