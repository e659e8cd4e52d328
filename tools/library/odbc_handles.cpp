#include "tools/library/odbc_handles.h"

#include <algorithm>

namespace brevicor::library {

namespace {

[[noreturn]] void Throw(SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
    std::string sqlstate;
    std::string text = DiagnosticText(type, handle, &sqlstate);
    throw DatabaseError(sqlstate, what + (text.empty() ? "" : ": " + text));
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
    if (!SQL_SUCCEEDED(rc)) {
        Throw(type, handle, what);
    }
}

} // namespace

std::string DiagnosticText(SQLSMALLINT type, SQLHANDLE handle, std::string* sqlstate) {
    std::string text;
    for (SQLSMALLINT record = 1; record < 20; ++record) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native, message,
                                         sizeof message, &length))) {
            break;
        }
        if (record == 1 && sqlstate != nullptr) {
            *sqlstate = reinterpret_cast<const char*>(state);
        }
        if (!text.empty()) {
            text += "; ";
        }
        text.append("[").append(reinterpret_cast<const char*>(state)).append("] ");
        text.append(reinterpret_cast<const char*>(message));
    }
    return text;
}

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(rc)) {
        m_handle = SQL_NULL_HANDLE;
        if (type == SQL_HANDLE_ENV) {
            throw DatabaseError("", "the ODBC driver manager could not be started");
        }
        Throw(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent,
              "no ODBC handle could be allocated");
    }
}

OdbcHandle::~OdbcHandle() {
    if (m_handle != SQL_NULL_HANDLE) {
        SQLFreeHandle(m_type, m_handle);
    }
}

namespace {

SQLHENV PreparedEnvironment(const OdbcHandle& env) {
    Check(SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(SQL_OV_ODBC3)),
                        SQL_IS_INTEGER),
          SQL_HANDLE_ENV, env.Get(), "the ODBC driver manager refused ODBC 3");
    return env.Get();
}

} // namespace

OdbcConnection::OdbcConnection(const std::string& connectionString)
    : m_env(SQL_HANDLE_ENV, SQL_NULL_HANDLE), m_dbc(SQL_HANDLE_DBC, PreparedEnvironment(m_env)) {
    std::vector<SQLCHAR> text(connectionString.begin(), connectionString.end());
    text.push_back(0);
    SQLCHAR completed[1024] = {};
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnect(m_dbc.Get(), nullptr, text.data(), SQL_NTS, completed,
                                          sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    Check(rc, SQL_HANDLE_DBC, m_dbc.Get(), "the library could not be opened");
    m_connected = true;
}

OdbcConnection::~OdbcConnection() {
    Rollback();
    if (m_connected) {
        SQLDisconnect(m_dbc.Get());
    }
}

void OdbcConnection::BeginTransaction() {
    Check(SQLSetConnectAttr(m_dbc.Get(), SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)),
                            SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, m_dbc.Get(),
          "the library's driver cannot run the import as one transaction");
    m_inTransaction = true;
}

void OdbcConnection::Commit() {
    Check(SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_COMMIT), SQL_HANDLE_DBC, m_dbc.Get(),
          "the library did not keep the import");
    m_inTransaction = false;
}

void OdbcConnection::Rollback() noexcept {
    if (m_inTransaction) {
        SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_ROLLBACK);
        m_inTransaction = false;
    }
}

OdbcStatement::OdbcStatement(const OdbcConnection& connection, const std::string& sql)
    : m_stmt(SQL_HANDLE_STMT, connection.Handle()) {
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    text.push_back(0);
    Check(SQLPrepare(m_stmt.Get(), text.data(), static_cast<SQLINTEGER>(sql.size())),
          SQL_HANDLE_STMT, m_stmt.Get(), "the library refused the statement " + sql);
}

SQLLEN& OdbcStatement::IndicatorOf(SQLUSMALLINT number) {
    if (number == 0 || number > m_indicators.size()) {
        throw DatabaseError("07009", "parameter " + std::to_string(number) + " is out of range");
    }
    return m_indicators[number - 1];
}

void OdbcStatement::BindText(SQLUSMALLINT number, const std::string& value, bool longText) {
    SQLLEN& indicator = IndicatorOf(number);
    indicator = static_cast<SQLLEN>(value.size());
    const SQLULEN columnSize = std::max<SQLULEN>(value.size(), 1);
    Check(SQLBindParameter(m_stmt.Get(), number, SQL_PARAM_INPUT, SQL_C_CHAR,
                           longText ? SQL_LONGVARCHAR : SQL_VARCHAR, columnSize, 0,
                           const_cast<char*>(value.data()), indicator, &indicator),
          SQL_HANDLE_STMT, m_stmt.Get(), "a value could not be passed to the library");
}

void OdbcStatement::BindInteger(SQLUSMALLINT number, const SQLINTEGER& value) {
    SQLLEN& indicator = IndicatorOf(number);
    indicator = 0;
    Check(SQLBindParameter(m_stmt.Get(), number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                           const_cast<SQLINTEGER*>(&value), 0, &indicator),
          SQL_HANDLE_STMT, m_stmt.Get(), "a value could not be passed to the library");
}

bool OdbcStatement::Execute() {
    const SQLRETURN rc = SQLExecute(m_stmt.Get());
    if (rc == SQL_NO_DATA) {
        return false;
    }
    Check(rc, SQL_HANDLE_STMT, m_stmt.Get(), "the library refused a statement");
    return true;
}

bool OdbcStatement::Fetch() {
    const SQLRETURN rc = SQLFetch(m_stmt.Get());
    if (rc == SQL_NO_DATA) {
        return false;
    }
    Check(rc, SQL_HANDLE_STMT, m_stmt.Get(), "a row could not be read from the library");
    return true;
}

void OdbcStatement::CloseCursor() {
    SQLFreeStmt(m_stmt.Get(), SQL_CLOSE);
}

std::optional<std::string> OdbcStatement::Text(SQLUSMALLINT column) {
    std::string value;
    char piece[16384];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(m_stmt.Get(), column, SQL_C_CHAR, piece, sizeof piece, &indicator);
        if (rc == SQL_NO_DATA) {
            return value;
        }
        Check(rc, SQL_HANDLE_STMT, m_stmt.Get(), "a value could not be read from the library");
        if (indicator == SQL_NULL_DATA) {
            return std::nullopt;
        }
        // A piece that did not fit fills the buffer but for its terminating zero.
        const bool more =
            rc == SQL_SUCCESS_WITH_INFO &&
            (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof piece));
        const std::size_t got = more ? sizeof piece - 1 : static_cast<std::size_t>(indicator);
        value.append(piece, got);
        if (!more) {
            return value;
        }
    }
}

SQLINTEGER OdbcStatement::Integer(SQLUSMALLINT column) {
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(m_stmt.Get(), column, SQL_C_SLONG, &value, sizeof value, &indicator),
          SQL_HANDLE_STMT, m_stmt.Get(), "a number could not be read from the library");
    return indicator == SQL_NULL_DATA ? 0 : value;
}

} // namespace brevicor::library
