#include "tests/native/support/library_fixture.h"

#include "store/odbc_session.h"
#include "store/trace.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <unistd.h>

namespace brevicor::testing {

namespace {

std::string g_trace;

void CollectTrace(const char* text) {
    g_trace += text;
}

std::string DiagnosticOf(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

// A short-lived connection of the test's own, by absolute path.
class TestConnection {
public:
    explicit TestConnection(const std::filesystem::path& library) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        std::string text = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + library.string();
        SQLRETURN rc = SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                        SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            ADD_FAILURE() << "test connection failed: " << DiagnosticOf(SQL_HANDLE_DBC, m_dbc);
            return;
        }
        m_connected = true;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt);
    }
    ~TestConnection() {
        if (m_stmt != SQL_NULL_HSTMT) {
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        }
        if (m_connected) {
            SQLDisconnect(m_dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    TestConnection(const TestConnection&) = delete;
    TestConnection& operator=(const TestConnection&) = delete;

    bool Run(const std::string& sql) {
        if (!m_connected) {
            return false;
        }
        std::string text = sql;
        SQLRETURN rc = SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                     static_cast<SQLINTEGER>(text.size()));
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            ADD_FAILURE() << "test statement failed: " << sql.substr(0, 200) << ": "
                          << DiagnosticOf(SQL_HANDLE_STMT, m_stmt);
            return false;
        }
        return true;
    }

    std::vector<std::vector<std::string>> Rows() {
        std::vector<std::vector<std::string>> rows;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(m_stmt, &columns);
        while (SQL_SUCCEEDED(SQLFetch(m_stmt))) {
            std::vector<std::string> row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                std::vector<char> buffer(70000);
                SQLLEN indicator = 0;
                SQLGetData(m_stmt, c, SQL_C_CHAR, buffer.data(), static_cast<SQLLEN>(buffer.size()),
                           &indicator);
                row.push_back(indicator == SQL_NULL_DATA
                                  ? "<null>"
                                  : std::string(buffer.data(), static_cast<size_t>(indicator)));
            }
            rows.push_back(std::move(row));
        }
        SQLCloseCursor(m_stmt);
        return rows;
    }

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    bool m_connected = false;
};

std::string Quoted(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

} // namespace

void LibraryTest::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brevicor-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    std::filesystem::create_directory(m_folder / "database");
    m_libraryPath = m_folder / "database" / "phrases.mdb";
    std::string command = std::string("\"") + BREVICOR_NEWLIB_PATH + "\" \"" +
                          m_libraryPath.string() + "\" \"" + BREVICOR_SCHEMA_SQL_PATH +
                          "\" >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    m_previousDir = std::filesystem::current_path();
    std::filesystem::current_path(m_folder);
    ResetStore();
    g_trace.clear();
    SetTraceObserver(&CollectTrace);
}

void LibraryTest::TearDown() {
    SetTraceObserver(nullptr);
    ResetStore();
    if (!m_previousDir.empty()) {
        std::filesystem::current_path(m_previousDir);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void LibraryTest::Exec(const std::string& sql) {
    TestConnection connection(m_libraryPath);
    connection.Run(sql);
}

std::vector<std::vector<std::string>> LibraryTest::Query(const std::string& sql) {
    TestConnection connection(m_libraryPath);
    if (!connection.Run(sql)) {
        return {};
    }
    return connection.Rows();
}

int LibraryTest::InsertRow(const std::string& category, const std::string& code,
                           const std::string& content) {
    TestConnection connection(m_libraryPath);
    connection.Run("INSERT INTO phrase (category, code, content) VALUES (" + Quoted(category) +
                   ", " + Quoted(code) + ", " + Quoted(content) + ")");
    connection.Run("SELECT MAX(PhraseID) FROM phrase");
    auto rows = connection.Rows();
    return rows.empty() ? -1 : std::atoi(rows[0][0].c_str());
}

void LibraryTest::RemoveLibrary() {
    std::filesystem::remove(m_libraryPath);
}

std::string LibraryTest::TakeTrace() {
    std::string taken = g_trace;
    g_trace.clear();
    return taken;
}

} // namespace brevicor::testing
