#include "store/odbc_session.h"

#include "store/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace brevicor {

namespace {

// What SQLError last wrote; only the message is ever read.
struct DiagnosticRecord {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[256] = {};
    SQLSMALLINT messageLength = 0;
};

// Process-wide state of the store: one environment and one connection for the run, one
// statement at a time.
struct Session {
    // The connection lives for the run and is not closed by a destructor at exit: by then the
    // driver may already have destroyed its own state (its destructors run before ours when it
    // was loaded after start-up), and disconnecting would call into it. The operating system
    // closes the file with the process; ResetStore closes it on purpose.
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Frees the statement, then the connection, then the environment, and forgets all three.
    void Release();

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    bool firstUse = true;
    bool connected = false;
    std::string connectFailure;
    std::string connectFailureState;
    DiagnosticRecord diag;
    SQLCHAR completed[1024] = {};
    SQLSMALLINT completedLength = 0;
};

Session g_session;
unsigned g_generation = 0;

std::string DiagMessage() {
    return std::string(reinterpret_cast<const char*>(g_session.diag.message));
}

// The diagnostic step: one SQLError over the three handles. Its result is not inspected.
void ReadDiagnostic() {
    SQLError(g_session.env, g_session.dbc, g_session.stmt, g_session.diag.state,
             &g_session.diag.nativeError, g_session.diag.message, sizeof g_session.diag.message - 1,
             &g_session.diag.messageLength);
}

void Connect() {
    if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &g_session.env) != SQL_SUCCESS) {
        ReadDiagnostic();
    }
    if (SQLSetEnvAttr(g_session.env, SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(SQL_OV_ODBC3)),
                      SQL_IS_INTEGER) != SQL_SUCCESS) {
        ReadDiagnostic();
    }
    if (g_session.dbc != SQL_NULL_HDBC) {
        return;
    }
    if (SQLAllocHandle(SQL_HANDLE_DBC, g_session.env, &g_session.dbc) != SQL_SUCCESS) {
        ReadDiagnostic();
    }
    // The driver gets the whole 255-byte buffer, text then NULs, as the program always did.
    SQLCHAR connectionString[256] = {};
    std::memcpy(connectionString, kConnectionString, sizeof kConnectionString);
    SQLRETURN rc = SQLDriverConnect(g_session.dbc, nullptr, connectionString, 255,
                                    g_session.completed, sizeof g_session.completed,
                                    &g_session.completedLength, SQL_DRIVER_NOPROMPT);
    g_session.connected = SQL_SUCCEEDED(rc);
    if (rc != SQL_SUCCESS) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER nativeError = 0;
        SQLCHAR message[512] = {};
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_DBC, g_session.dbc, 1, state, &nativeError, message,
                      sizeof message, &length);
        if (!g_session.connected) {
            g_session.connectFailure = reinterpret_cast<const char*>(message);
            g_session.connectFailureState = reinterpret_cast<const char*>(state);
        }
        ReadDiagnostic();
    }
}

void ConnectOnFirstUse() {
    if (g_session.firstUse) {
        Connect();
        g_session.firstUse = false;
    }
}

} // namespace

bool OpenStatement() {
    ConnectOnFirstUse();
    g_session.stmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, g_session.dbc, &g_session.stmt) != SQL_SUCCESS) {
        ReadDiagnostic();
    }
    return g_session.stmt != SQL_NULL_HSTMT;
}

SQLRETURN ExecuteStatement() {
    SQLRETURN rc = SQLExecute(g_session.stmt);
    switch (rc) {
    case SQL_SUCCESS:
        WriteTrace("SQL_SUCCESS\n");
        break;
    case SQL_SUCCESS_WITH_INFO:
        WriteTrace("SQL_SUCCESS_WITH_INFO\n");
        break;
    case SQL_STILL_EXECUTING:
        WriteTrace("SQL_STILL_EXECUTING\n");
        break;
    case SQL_NEED_DATA:
        WriteTrace("SQL_NEED_DATA\n");
        break;
    case SQL_NO_DATA:
        ReadDiagnostic();
        WriteTrace(DiagMessage().c_str());
        WriteTrace("SQL_NO_DATA\n");
        break;
    case SQL_ERROR:
        ReadDiagnostic();
        WriteTrace(DiagMessage().c_str());
        break;
    case SQL_INVALID_HANDLE:
        WriteTrace("SQL_INVALID_HANDLE\n");
        break;
    default:
        WriteTrace("default\n");
        break;
    }
    return rc;
}

int CloseStatement() {
    // A freed handle is forgotten at once, so no later call can hand it to the driver manager.
    if (g_session.stmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, g_session.stmt);
        g_session.stmt = SQL_NULL_HSTMT;
    }
    return 0;
}

std::string LastDriverMessage() {
    if (!g_session.connected && !g_session.connectFailure.empty()) {
        return g_session.connectFailure;
    }
    return DiagMessage();
}

std::string LastDriverState() {
    if (!g_session.connected && !g_session.connectFailure.empty()) {
        return g_session.connectFailureState;
    }
    return std::string(reinterpret_cast<const char*>(g_session.diag.state));
}

void Session::Release() {
    if (stmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        stmt = SQL_NULL_HSTMT;
    }
    if (dbc != SQL_NULL_HDBC) {
        if (connected) {
            SQLDisconnect(dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        dbc = SQL_NULL_HDBC;
    }
    if (env != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        env = SQL_NULL_HENV;
    }
    firstUse = true;
    connected = false;
    connectFailure.clear();
    connectFailureState.clear();
    diag = DiagnosticRecord{};
}

void ResetStore() {
    g_session.Release();
    ++g_generation;
}

unsigned StoreGeneration() {
    return g_generation;
}

StoreTransaction::StoreTransaction() {
    ConnectOnFirstUse();
    if (!g_session.connected) {
        return;
    }
    SQLRETURN rc = SQLSetConnectAttr(g_session.dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    m_started = SQL_SUCCEEDED(rc);
    if (!m_started) {
        ReadDiagnostic();
    }
}

StoreTransaction::~StoreTransaction() {
    End(SQL_ROLLBACK);
}

bool StoreTransaction::Commit() {
    if (!m_started || m_ended) {
        return false;
    }
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, g_session.dbc, SQL_COMMIT))) {
        ReadDiagnostic();
        End(SQL_ROLLBACK);
        return false;
    }
    m_ended = true;
    SQLSetConnectAttr(g_session.dbc, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return true;
}

void StoreTransaction::End(SQLSMALLINT completion) {
    if (!m_started || m_ended) {
        return;
    }
    m_ended = true;
    // The reason a write failed stays the message to show: the rollback's own diagnostics,
    // if any, are not read.
    SQLEndTran(SQL_HANDLE_DBC, g_session.dbc, completion);
    // Every later statement is durable on its own again, as the program's other writes expect.
    SQLSetConnectAttr(g_session.dbc, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

StoreOperation::StoreOperation(const std::string& statementText) {
    m_hasStatement = OpenStatement();
    if (!m_hasStatement) {
        return;
    }
    std::vector<SQLCHAR> text(statementText.begin(), statementText.end());
    text.push_back(0);
    SQLPrepare(g_session.stmt, text.data(), static_cast<SQLINTEGER>(statementText.size()));
    m_executeResult = ExecuteStatement();
}

StoreOperation::~StoreOperation() {
    CloseStatement();
}

bool StoreOperation::Executed() const {
    return m_hasStatement && (SQL_SUCCEEDED(m_executeResult) || m_executeResult == SQL_NO_DATA);
}

void StoreOperation::BindColumn(SQLUSMALLINT column, char* buffer, SQLLEN* indicator) {
    buffer[0] = '\0';
    *indicator = 0;
    SQLBindCol(g_session.stmt, column, SQL_C_CHAR, buffer, kColumnBufferSize, indicator);
}

bool StoreOperation::FetchRow() {
    SQLRETURN rc = SQLFetch(g_session.stmt);
    return rc != SQL_NO_DATA && rc != SQL_ERROR;
}

std::string ColumnText(const char* buffer, SQLLEN indicator) {
    if (indicator == SQL_NULL_DATA) {
        return {};
    }
    return std::string(buffer, strnlen(buffer, kColumnBufferSize));
}

std::string FormatStatement(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

} // namespace brevicor
