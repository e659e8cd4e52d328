#include "store/odbc_session.h"

#include "store/trace.h"

#include <cctype>
#include <chrono>
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
    // When the last connection attempt was made, so that a library out of reach (a server
    // down, a file not there yet) is asked again at most once a second, not in a busy loop.
    std::chrono::steady_clock::time_point lastAttempt;
    // Whether the driver entry for the connection string's driver names a database server (a
    // team library); found once per connection of the run.
    bool onServer = false;
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

constexpr auto kReconnectInterval = std::chrono::seconds(1);

// The driver name in the connection string, as the driver manager lists it.
constexpr char kDriverName[] = "Microsoft Access Driver (*.mdb)";

// Whether the installed driver entry of that name gives a server: a team library's entry does
// (Servername=...), a library file's never. Asked of the driver manager, so it is known even
// while the server cannot be reached.
bool StartsWithKey(const char* pair, const char* lowerKey) {
    for (; *lowerKey != '\0'; ++pair, ++lowerKey) {
        if (std::tolower(static_cast<unsigned char>(*pair)) != *lowerKey) {
            return false;
        }
    }
    return true;
}

// The value of `lowerKey` ("servername", say) in the installed driver entry of that name, as
// the driver manager lists it; empty when the entry or the key is not there.
std::string DriverEntryValue(const char* lowerKey) {
    SQLCHAR description[256] = {};
    SQLCHAR attributes[4096] = {};
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    size_t keyLength = std::strlen(lowerKey);
    while (SQL_SUCCEEDED(SQLDrivers(g_session.env, direction, description, sizeof description,
                                    &descriptionLength, attributes, sizeof attributes,
                                    &attributesLength))) {
        direction = SQL_FETCH_NEXT;
        if (std::strcmp(reinterpret_cast<const char*>(description), kDriverName) != 0) {
            continue;
        }
        // Attributes come as "key=value" strings, each ended by a NUL, the list by another.
        for (const char* pair = reinterpret_cast<const char*>(attributes); *pair != '\0';
             pair += std::strlen(pair) + 1) {
            if (StartsWithKey(pair, lowerKey) && pair[keyLength] == '=') {
                return pair + keyLength + 1;
            }
        }
        return {};
    }
    return {};
}

// A team library's entry gives its server (Servername=...); a library file's never does.
bool DriverEntryNamesAServer() {
    return !DriverEntryValue("servername").empty();
}

void FirstConnection() {
    Connect();
    g_session.firstUse = false;
    g_session.lastAttempt = std::chrono::steady_clock::now();
    g_session.onServer = DriverEntryNamesAServer();
}

// The library file's connection is made once in the run, whatever its outcome. A team
// library's server may be down when the program starts, or restart while it runs: a connection
// that failed or was lost is made again by a later operation, at most once a second, so the
// store recovers once the server is back without hammering it meanwhile.
void ConnectOnFirstUse() {
    if (g_session.firstUse) {
        FirstConnection();
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (!g_session.onServer || g_session.connected || g_session.dbc == SQL_NULL_HDBC ||
        now - g_session.lastAttempt < kReconnectInterval) {
        return;
    }
    g_session.lastAttempt = now;
    if (g_session.stmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, g_session.stmt);
        g_session.stmt = SQL_NULL_HSTMT;
    }
    SQLDisconnect(g_session.dbc); // refused harmlessly when the connection never came up
    SQLFreeHandle(SQL_HANDLE_DBC, g_session.dbc);
    g_session.dbc = SQL_NULL_HDBC;
    g_session.connectFailure.clear();
    g_session.connectFailureState.clear();
    Connect();
    ++g_generation; // what callers learnt about the library may no longer hold
}

// A team library's statement that failed because the connection went away (SQLSTATE class
// 08, or the driver now calls the connection dead: a server shut down says 57P01) leaves the
// connection to be made again by a later operation.
void NoteLostConnection() {
    if (!g_session.onServer || !g_session.connected) {
        return;
    }
    SQLUINTEGER dead = SQL_CD_FALSE;
    bool lost = std::strncmp(reinterpret_cast<const char*>(g_session.diag.state), "08", 2) == 0 ||
                (SQL_SUCCEEDED(SQLGetConnectAttr(g_session.dbc, SQL_ATTR_CONNECTION_DEAD, &dead,
                                                 SQL_IS_UINTEGER, nullptr)) &&
                 dead == SQL_CD_TRUE);
    if (lost) {
        g_session.connected = false;
        g_session.connectFailure = DiagMessage();
        g_session.connectFailureState = reinterpret_cast<const char*>(g_session.diag.state);
    }
}

} // namespace

bool OpenStatement() {
    ConnectOnFirstUse();
    g_session.stmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, g_session.dbc, &g_session.stmt) != SQL_SUCCESS) {
        ReadDiagnostic();
        NoteLostConnection();
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
        NoteLostConnection();
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

bool LibraryIsOnServer() {
    ConnectOnFirstUse();
    return g_session.onServer;
}

std::string LibraryServerName() {
    if (!LibraryIsOnServer()) {
        return {};
    }
    std::string name = DriverEntryValue("servername");
    if (std::string port = DriverEntryValue("port"); !port.empty()) {
        name += ":" + port;
    }
    if (std::string database = DriverEntryValue("database"); !database.empty()) {
        name += "/" + database;
    }
    return name;
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
    onServer = false;
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
