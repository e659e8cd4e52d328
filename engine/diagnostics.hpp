// Diagnostic records kept per handle, in the shape SQLGetDiagRec/SQLGetDiagField/SQLError
// hand them out.
#pragma once

#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

namespace brevicor::engine {

// Every message the driver produces starts with this, so users can tell which layer spoke.
inline constexpr const char* kMessagePrefix = "[Brevicor][Library driver]";

struct DiagRecord {
    std::string sqlstate;
    SQLINTEGER native = 0;
    std::string message;
};

// Records stay readable any number of times (the driver manager reads a record once per field)
// until the next function call on the same handle clears them.
class Diagnostics {
public:
    void clear() {
        records_.clear();
        odbc2_cursor_ = 0;
        return_code_ = SQL_SUCCESS;
    }
    // Adds a record; the prefix is added here so call sites only say what went wrong.
    void add(const std::string& sqlstate, const std::string& message, SQLINTEGER native = 0) {
        records_.push_back({sqlstate, native, std::string(kMessagePrefix) + " " + message});
    }
    SQLRETURN error(const std::string& sqlstate, const std::string& message,
                    SQLINTEGER native = 0) {
        add(sqlstate, message, native);
        return SQL_ERROR;
    }
    const std::vector<DiagRecord>& records() const { return records_; }
    // SQLError hands each record out once; SQLGetDiagRec is unaffected by this cursor.
    std::size_t& odbc2_cursor() { return odbc2_cursor_; }
    SQLRETURN& return_code() { return return_code_; }

private:
    std::vector<DiagRecord> records_;
    std::size_t odbc2_cursor_ = 0;
    SQLRETURN return_code_ = SQL_SUCCESS;
};

} // namespace brevicor::engine
