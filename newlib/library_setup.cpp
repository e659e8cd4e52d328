#include "newlib/library_setup.h"

#include "newlib/phrase_table_sql.h"
#include "newlib/sample_phrases.h"
#include "store/odbc_session.h"

#include <windows.h>

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <string>

namespace brevicor {

namespace {

constexpr char kAccessDriver[] = "Microsoft Access Driver (*.mdb)";

// Owns one ODBC handle; frees it with the handle type it was made with.
class OdbcHandle {
public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle))) {
            m_handle = SQL_NULL_HANDLE;
        }
    }
    ~OdbcHandle() {
        if (m_handle != SQL_NULL_HANDLE) {
            SQLFreeHandle(m_type, m_handle);
        }
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    // The driver's first diagnostic for this handle, or a fallback.
    std::string Reason() const {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER nativeError = 0;
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLSMALLINT length = 0;
        if (m_handle != SQL_NULL_HANDLE &&
            SQL_SUCCEEDED(SQLGetDiagRec(m_type, m_handle, 1, state, &nativeError, message,
                                        sizeof message, &length))) {
            return reinterpret_cast<const char*>(message);
        }
        return "the driver gave no reason";
    }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// Disconnects on the way out of every path once connected.
class Connection {
public:
    explicit Connection(const OdbcHandle& dbc) : m_dbc(dbc) {}
    ~Connection() {
        if (m_connected) {
            SQLDisconnect(m_dbc.get());
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Open() {
        // The program's own connection string, in the program's own 255-byte buffer: if this
        // connects, the program will too.
        SQLCHAR text[256] = {};
        std::memcpy(text, kConnectionString, sizeof kConnectionString);
        SQLCHAR completed[1024] = {};
        SQLSMALLINT completedLength = 0;
        m_connected = SQL_SUCCEEDED(SQLDriverConnect(m_dbc.get(), nullptr, text, 255, completed,
                                                     sizeof completed, &completedLength,
                                                     SQL_DRIVER_NOPROMPT));
        return m_connected;
    }

private:
    const OdbcHandle& m_dbc;
    bool m_connected = false;
};

std::string SystemMessage(DWORD error) {
    char buffer[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, buffer, sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == '.')) {
        buffer[--n] = '\0';
    }
    return n > 0 ? std::string(buffer) : "error " + std::to_string(error);
}

LibrarySetupResult Failure(std::string message) {
    return {LibrarySetupOutcome::Failed, std::move(message)};
}

// Asks the Access driver to make an empty database file, as its setup library documents.
bool CreateWithDriver(const std::string& path, std::string& reason) {
    std::string attributes = "CREATE_DB=\"" + path + "\" General";
    attributes.push_back('\0'); // the list ends with an empty attribute
    if (SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kAccessDriver, attributes.c_str())) {
        return true;
    }
    DWORD code = 0;
    char message[SQL_MAX_MESSAGE_LENGTH] = {};
    WORD length = 0;
    if (SQLInstallerError(1, &code, message, sizeof message, &length) == SQL_SUCCESS &&
        message[0] != '\0') {
        reason = message;
    } else {
        reason = "the driver gave no reason";
    }
    if (code == ODBC_ERROR_LOAD_LIB_FAILED || code == ODBC_ERROR_INVALID_NAME ||
        code == ODBC_ERROR_COMPONENT_NOT_FOUND || code == ODBC_ERROR_REQUEST_FAILED) {
        reason += " (this Access driver has no setup library that can create database files)";
    }
    return false;
}

bool PhraseTableExists(const OdbcHandle& dbc, std::string& reason, bool& exists) {
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
    SQLCHAR table[] = "phrase";
    SQLCHAR type[] = "TABLE";
    if (!stmt || !SQL_SUCCEEDED(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, table, SQL_NTS, type,
                                          SQL_NTS))) {
        reason = stmt.Reason();
        return false;
    }
    const SQLRETURN rc = SQLFetch(stmt.get());
    if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(rc)) {
        reason = stmt.Reason();
        return false;
    }
    exists = SQL_SUCCEEDED(rc);
    return true;
}

bool Run(const OdbcHandle& dbc, const char* sql, std::string& reason) {
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
    std::string text = sql;
    if (!stmt || !SQL_SUCCEEDED(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                              static_cast<SQLINTEGER>(text.size())))) {
        reason = stmt.Reason();
        return false;
    }
    return true;
}

// One prepared INSERT; the values go as parameters, so no SQL dialect's literals are involved.
bool AddSamples(const OdbcHandle& dbc, std::string& reason) {
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
    SQLCHAR sql[] = "INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)";
    if (!stmt || !SQL_SUCCEEDED(SQLPrepare(stmt.get(), sql, SQL_NTS))) {
        reason = stmt.Reason();
        return false;
    }
    for (const SamplePhrase& phrase : SamplePhrases()) {
        const char* values[] = {phrase.category, phrase.code, phrase.content};
        SQLLEN lengths[3] = {};
        for (SQLUSMALLINT i = 0; i < 3; ++i) {
            lengths[i] = static_cast<SQLLEN>(std::strlen(values[i]));
            const SQLSMALLINT sqlType = i == 2 ? SQL_LONGVARCHAR : SQL_VARCHAR;
            const SQLULEN size = i == 2 ? static_cast<SQLULEN>(lengths[i]) : 255;
            if (!SQL_SUCCEEDED(SQLBindParameter(
                    stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                    sqlType, size, 0, const_cast<char*>(values[i]), lengths[i], &lengths[i]))) {
                reason = stmt.Reason();
                return false;
            }
        }
        if (!SQL_SUCCEEDED(SQLExecute(stmt.get()))) {
            reason = stmt.Reason();
            return false;
        }
    }
    return true;
}

// Connects as the program does and adds what the library lacks. Every handle is gone on
// return, so the caller can remove a file this run made.
LibrarySetupResult FillLibrary(const std::string& path, bool withSamples, bool created) {
    OdbcHandle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!env || !SQL_SUCCEEDED(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION,
                                             reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
        return Failure("cannot start ODBC");
    }
    OdbcHandle dbc(SQL_HANDLE_DBC, env.get());
    Connection connection(dbc);
    if (!dbc || !connection.Open()) {
        return Failure("cannot open " + path + " as a phrase library: " + dbc.Reason());
    }
    std::string reason;
    bool exists = false;
    if (!PhraseTableExists(dbc, reason, exists)) {
        return Failure("cannot read the tables of " + path + ": " + reason);
    }
    if (exists) {
        return {LibrarySetupOutcome::Unchanged,
                path + " already holds a phrase library; nothing was changed"};
    }
    if (!Run(dbc, kPhraseTableSql, reason)) {
        return Failure("cannot add the phrase table to " + path + ": " + reason);
    }
    if (withSamples && !AddSamples(dbc, reason)) {
        std::string ignored;
        Run(dbc, "DROP TABLE phrase", ignored); // back to the file as it was
        return Failure("cannot add the sample phrases to " + path + ": " + reason);
    }
    const char* what = withSamples ? " with sample phrases" : ", empty";
    if (created) {
        return {LibrarySetupOutcome::Created, "created the phrase library " + path + what};
    }
    return {LibrarySetupOutcome::TableAdded, "added the phrase table to " + path + what};
}

} // namespace

LibrarySetupResult MakeLibraryReady(const std::string& folder, bool withSamples) {
    const std::string databaseFolder = folder + "database";
    const std::string path = databaseFolder + "\\phrases.mdb";

    if (!CreateDirectoryA(databaseFolder.c_str(), nullptr)) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(databaseFolder.c_str());
        if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return Failure("cannot make the folder " + databaseFolder + ": " +
                           SystemMessage(error));
        }
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failure(path + " is a folder, not a phrase library; nothing was changed");
    }
    const bool created = attributes == INVALID_FILE_ATTRIBUTES;
    if (created) {
        std::string reason;
        if (!CreateWithDriver(path, reason)) {
            return Failure("the Access driver could not create " + path + ": " + reason);
        }
    }
    LibrarySetupResult result = FillLibrary(path, withSamples, created);
    if (result.outcome == LibrarySetupOutcome::Failed) {
        // A file this run made and could not finish goes again; a file that was there stays.
        if (created) {
            DeleteFileA(path.c_str());
        } else {
            result.message += "; nothing was changed";
        }
    }
    return result;
}

} // namespace brevicor
