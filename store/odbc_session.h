#pragma once

// The phrase store's one ODBC connection and the shape every store operation follows:
// format the statement, obtain a statement, prepare, execute, bind, fetch, release.
//
// The connection is opened by the first operation of the run and kept; for a library file, a
// failed connection is not retried until the store is reset (which only tests and shutdown do).
// A team library's connection that failed or was lost (SQLSTATE class 08) is made again by a
// later operation, at most once a second. Nothing here shows
// anything to the user: the only record of a failure is the trace.

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>

namespace brevicor {

inline constexpr char kConnectionString[] =
    "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";

// Size of each bound column buffer: at most ColumnBufferSize - 1 bytes of any value are read.
inline constexpr int kColumnBufferSize = 9216;

// Opens the connection on the first call of the run, then allocates this operation's
// statement. Returns whether a statement exists.
bool OpenStatement();

// Executes the statement last prepared, writes the trace line for its return code and
// returns that code.
SQLRETURN ExecuteStatement();

// Frees the operation's statement; safe when none was allocated.
int CloseStatement();

// The driver's message from the latest diagnostic read, or, when the library could not be
// opened at all, the reason it could not.
std::string LastDriverMessage();

// Whether the library is a team library on a database server rather than a file: whether the
// driver manager's entry for the driver names a server.
bool LibraryIsOnServer();

// A team library's server as its driver entry names it ("host:port/database"); empty for a
// library file.
std::string LibraryServerName();

// The SQLSTATE that goes with LastDriverMessage ("HYT00" for a library in use, say); empty when
// no diagnostic was read.
std::string LastDriverState();

// Disconnects and frees every handle, so that the next operation connects afresh. The running
// program never needs this; tests use it to move between library files.
void ResetStore();

// How many times the store has let go of its connection; what a caller learnt about the
// library (a table it made, say) holds only while this stays the same.
unsigned StoreGeneration();

// A manual-commit transaction on the store's connection, for writes that must land together:
// autocommit goes off on construction, and back on when the object goes, after a rollback
// unless Commit succeeded. Store operations run meanwhile belong to it.
class StoreTransaction {
public:
    StoreTransaction();
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    // Whether manual commit is on; when not, nothing may be written under this transaction.
    bool Started() const { return m_started; }

    // Commits; on failure rolls back, and LastDriverMessage says why.
    bool Commit();

private:
    void End(SQLSMALLINT completion);

    bool m_started = false;
    bool m_ended = false;
};

// One store operation's statement: opened, prepared and executed on construction, closed on
// destruction. Column buffers stay with the caller.
class StoreOperation {
public:
    explicit StoreOperation(const std::string& statementText);
    ~StoreOperation();
    StoreOperation(const StoreOperation&) = delete;
    StoreOperation& operator=(const StoreOperation&) = delete;

    bool HasStatement() const { return m_hasStatement; }
    SQLRETURN ExecuteResult() const { return m_executeResult; }

    // Whether the statement ran: success, success with information, or no row matched.
    bool Executed() const;

    // Binds a result column as character data into a kColumnBufferSize-byte buffer.
    void BindColumn(SQLUSMALLINT column, char* buffer, SQLLEN* indicator);

    // Fetches the next row. Every result but SQL_NO_DATA and SQL_ERROR counts as a row; a value
    // cut to its buffer included.
    bool FetchRow();

private:
    bool m_hasStatement = false;
    SQLRETURN m_executeResult = SQL_ERROR;
};

// The text fetched into a bound column buffer; a NULL value reads as empty.
std::string ColumnText(const char* buffer, SQLLEN indicator);

// printf-style formatting of a statement into a buffer that always fits it: a statement is
// never cut.
std::string FormatStatement(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace brevicor
