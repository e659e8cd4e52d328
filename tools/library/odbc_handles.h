#pragma once

// The tool's ODBC connection: owned handles, one manual-commit transaction, prepared
// statements with bound parameters. Works with any ODBC 3 driver that holds the phrase table.

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brevicor::library {

// A failed ODBC call, with the driver's SQLSTATE and message.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(std::string sqlstate, const std::string& message)
        : std::runtime_error(message), m_sqlstate(std::move(sqlstate)) {}
    const std::string& SqlState() const { return m_sqlstate; }

private:
    std::string m_sqlstate;
};

// Owns one ODBC handle and frees it.
class OdbcHandle {
public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE Get() const { return m_handle; }
    SQLSMALLINT Type() const { return m_type; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// A connection made from a full ODBC connection string.
class OdbcConnection {
public:
    // Throws DatabaseError with the driver's reason when the connection is refused.
    explicit OdbcConnection(const std::string& connectionString);
    // Rolls back a transaction still open (nothing half-done is ever kept), then disconnects.
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Switches to manual commit: what follows is one transaction until Commit or Rollback.
    void BeginTransaction();
    void Commit();
    void Rollback() noexcept;

    SQLHDBC Handle() const { return m_dbc.Get(); }

private:
    OdbcHandle m_env;
    OdbcHandle m_dbc;
    bool m_connected = false;
    bool m_inTransaction = false;
};

// One prepared statement. Parameters are bound by address: a bound value must stay alive and
// unchanged until Execute has run.
class OdbcStatement {
public:
    OdbcStatement(const OdbcConnection& connection, const std::string& sql);
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    // A character parameter, passed as bytes (SQL_C_CHAR). Long texts are bound as
    // SQL_LONGVARCHAR, the type of a Memo column.
    void BindText(SQLUSMALLINT number, const std::string& value, bool longText = false);
    void BindInteger(SQLUSMALLINT number, const SQLINTEGER& value);

    // Runs the prepared statement; false when a searched update or delete matched no row.
    bool Execute();
    bool Fetch();
    void CloseCursor();

    // A whole character value of the current row, however long; nothing for NULL.
    std::optional<std::string> Text(SQLUSMALLINT column);
    SQLINTEGER Integer(SQLUSMALLINT column);

private:
    SQLLEN& IndicatorOf(SQLUSMALLINT number);

    OdbcHandle m_stmt;
    // The driver keeps the address of each parameter's length word until the statement goes:
    // a fixed array, so no binding can move them.
    std::array<SQLLEN, 8> m_indicators{};
};

// "[SQLSTATE] message" of every diagnostic record on a handle, joined; SQLSTATE of the first.
std::string DiagnosticText(SQLSMALLINT type, SQLHANDLE handle, std::string* sqlstate = nullptr);

} // namespace brevicor::library
