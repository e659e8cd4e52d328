// Errors: rejected statements, diagnostics as the driver manager and program read them,
// read-only and locked library files.
#include "library_fixture.hpp"

#include <sqlite3.h>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

class ErrorsTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }
};

TEST_F(ErrorsTest, RejectedStatementFailsAtExecuteWithTheEnginesMessage) {
    const struct {
        const char* sql;
        const char* sqlstate;
        const char* message;
    } cases[] = {
        {"SELECT nosuch FROM phrase", "42S22", "no such column: nosuch"},
        {"SELECT code FROM phrases", "42S02", "no such table: phrases"},
        {"SELEC code FROM phrase", "42000", "syntax error"},
        {"INSERT INTO phrase (category, code, content) VALUES ('a', 'b')", "42000",
         "2 values for 3 columns"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        Handle stmt(SQL_HANDLE_STMT, dbc_->get());
        std::string sql = c.sql;
        ASSERT_EQ(SQLPrepare(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
                  SQL_SUCCESS);
        ASSERT_EQ(SQLExecute(stmt.get()), SQL_ERROR);

        // Read twice: reading a record must not consume it.
        for (int pass = 0; pass < 2; ++pass) {
            const auto diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
            ASSERT_EQ(diag.size(), 1U);
            EXPECT_EQ(diag[0].sqlstate, c.sqlstate);
            EXPECT_NE(diag[0].message.find(c.message), std::string::npos) << diag[0].message;
        }
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[512] = {};
        SQLSMALLINT length = 0;
        ASSERT_EQ(SQLError(SQL_NULL_HENV, SQL_NULL_HDBC, stmt.get(), state, &native, text,
                           sizeof text, &length),
                  SQL_SUCCESS);
        EXPECT_STREQ(reinterpret_cast<char*>(state), c.sqlstate);
        EXPECT_NE(std::string(reinterpret_cast<char*>(text)).find(c.message), std::string::npos);
        EXPECT_EQ(SQLError(SQL_NULL_HENV, SQL_NULL_HDBC, stmt.get(), state, &native, text,
                           sizeof text, &length),
                  SQL_NO_DATA);
    }
}

TEST_F(ErrorsTest, DiagnosticsClearWithTheNextCallOnTheHandle) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    std::string bad = "SELECT nosuch FROM phrase";
    std::string good = "SELECT code FROM phrase";
    ASSERT_EQ(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(bad.data()), SQL_NTS),
              SQL_ERROR);
    ASSERT_EQ(diagnostics(SQL_HANDLE_STMT, stmt.get()).size(), 1U);
    ASSERT_EQ(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(good.data()), SQL_NTS),
              SQL_SUCCESS);
    EXPECT_TRUE(diagnostics(SQL_HANDLE_STMT, stmt.get()).empty());
    EXPECT_EQ(SQLFetch(stmt.get()), SQL_NO_DATA);
}

TEST_F(ErrorsTest, ReadOnlyLibraryReadsButRefusesChanges) {
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
    disconnect();
    // The Windows read-only attribute shows up as no write permission bits.
    fs::permissions(library_path(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'k'"), "v");
    const char* changes[] = {
        "INSERT INTO phrase (category, code, content) VALUES ('c', 'k2', 'v')",
        "UPDATE phrase SET content = 'x' WHERE code = 'k'",
        "DELETE FROM phrase WHERE category = 'c'",
    };
    for (const char* sql : changes) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(run(sql), SQL_ERROR);
        ASSERT_FALSE(last_diag.empty());
        EXPECT_EQ(last_diag[0].sqlstate, "HY000");
        EXPECT_NE(last_diag[0].message.find("readonly"), std::string::npos) << last_diag[0].message;
    }
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "1");
}

TEST_F(ErrorsTest, LibraryLockedByAnotherProgramGivesAnErrorThenRecovers) {
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(library_path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> other(raw, &sqlite3_close);

    const struct {
        const char* lock;
        const char* sql;
    } cases[] = {
        // Someone is writing: our change must wait, give up and say so.
        {"BEGIN IMMEDIATE", "UPDATE phrase SET content = 'mine' WHERE code = 'k'"},
        // Someone holds the file exclusively: even reading is refused.
        {"BEGIN EXCLUSIVE", "SELECT content FROM phrase WHERE code = 'k'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lock);
        ASSERT_EQ(sqlite3_exec(other.get(), c.lock, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(run(c.sql), SQL_ERROR);
        ASSERT_FALSE(last_diag.empty());
        EXPECT_EQ(last_diag[0].sqlstate, "HYT00");
        EXPECT_NE(last_diag[0].message.find("database is locked"), std::string::npos)
            << last_diag[0].message;
        ASSERT_EQ(sqlite3_exec(other.get(), "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(run(c.sql), SQL_SUCCESS);
    }
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'k'"), "mine");
}

} // namespace
} // namespace brevicor::test
