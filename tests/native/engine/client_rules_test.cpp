// Smaller rules generic ODBC clients rely on: prepared DDL, what may follow a statement,
// connection strings with empty attributes, ODBC 2 applications, and cursor state.
#include "library_fixture.hpp"

namespace brevicor::test {
namespace {

class ClientRulesTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }
    std::string state(SQLHSTMT stmt) const {
        const auto diag = diagnostics(SQL_HANDLE_STMT, stmt);
        return diag.empty() ? "" : diag[0].sqlstate;
    }
    static SQLCHAR* sql(const char* text) {
        return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
    }
};

TEST_F(ClientRulesTest, PreparedDdlReportsExactlyWhatHappened) {
    // isql prepares, executes, then asks for the result columns: asking must not compile the
    // text again against the schema it has just changed.
    const char* steps[] = {
        "CREATE TABLE notes (body TEXT)",
        "CREATE VIEW note_view AS SELECT body FROM notes",
        "ALTER TABLE notes ADD COLUMN stamp INTEGER",
        "DROP VIEW note_view",
        "DROP TABLE notes",
    };
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        Handle stmt(SQL_HANDLE_STMT, dbc_->get());
        ASSERT_EQ(SQLPrepare(stmt.get(), sql(step), SQL_NTS), SQL_SUCCESS);
        ASSERT_EQ(SQLExecute(stmt.get()), SQL_SUCCESS) << state(stmt.get());
        SQLSMALLINT columns = -1;
        EXPECT_EQ(SQLNumResultCols(stmt.get(), &columns), SQL_SUCCESS) << state(stmt.get());
        EXPECT_EQ(columns, 0);
        SQLLEN rows = 0;
        EXPECT_EQ(SQLRowCount(stmt.get(), &rows), SQL_SUCCESS);
        // Running it once more is a real error now, and says so.
        EXPECT_EQ(SQLExecute(stmt.get()), SQL_ERROR);
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'note%'"), "0");
}

TEST_F(ClientRulesTest, CommentsAndSemicolonsMayFollowTheOneStatement) {
    const struct {
        const char* text;
        SQLRETURN rc;
    } cases[] = {
        {"SELECT 1; -- note", SQL_SUCCESS},
        {"SELECT 1 -- note", SQL_SUCCESS},
        {"SELECT 1; /* x */", SQL_SUCCESS},
        {"SELECT 1 ; /* a */ ; -- b\n ;", SQL_SUCCESS},
        {"SELECT 1; /* unclosed", SQL_SUCCESS},
        {"SELECT 1; SELECT 2", SQL_ERROR},
        {"SELECT 1; -- x\nSELECT 2", SQL_ERROR},
        {"SELECT 1; /* x */ DELETE FROM phrase", SQL_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Handle stmt(SQL_HANDLE_STMT, dbc_->get());
        EXPECT_EQ(SQLExecDirect(stmt.get(), sql(c.text), SQL_NTS), c.rc);
        if (c.rc == SQL_ERROR) {
            EXPECT_EQ(state(stmt.get()), "42000");
        }
    }
}

TEST_F(ClientRulesTest, EmptyOrBareAttributesInTheConnectionStringAreSkipped) {
    disconnect();
    const std::string driver = "DRIVER={Microsoft Access Driver (*.mdb)}";
    const std::string strings[] = {
        ";;DBQ=database/phrases.mdb;" + driver,
        driver + ";;DBQ=database/phrases.mdb",
        driver + "; ;DBQ=database/phrases.mdb;;",
        "junk;DBQ=database/phrases.mdb;" + driver,
    };
    for (const auto& text : strings) {
        SCOPED_TRACE(text);
        ASSERT_EQ(connect(text, SQL_NTS), SQL_SUCCESS)
            << (last_diag.empty() ? "" : last_diag[0].message);
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "0");
        disconnect();
    }
}

TEST_F(ClientRulesTest, ASecondExecuteWithTheCursorOpenIsRefused) {
    // A statement that writes and returns rows shows whether it ran again.
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    ASSERT_EQ(SQLPrepare(stmt.get(),
                         sql("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', "
                             "'v') RETURNING code"),
                         SQL_NTS),
              SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(stmt.get()), SQL_SUCCESS) << state(stmt.get());
    EXPECT_EQ(SQLExecute(stmt.get()), SQL_ERROR);
    EXPECT_EQ(state(stmt.get()), "24000");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "1");
    ASSERT_EQ(SQLFreeStmt(stmt.get(), SQL_CLOSE), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(stmt.get()), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "2");

    Handle direct(SQL_HANDLE_STMT, dbc_->get());
    ASSERT_EQ(SQLExecDirect(direct.get(), sql("SELECT code FROM phrase"), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecDirect(direct.get(), sql("DELETE FROM phrase"), SQL_NTS), SQL_ERROR);
    EXPECT_EQ(state(direct.get()), "24000");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "2");
}

// An ODBC 2 application, with the answers ODBC 2 defines.
TEST_F(ClientRulesTest, Odbc2ApplicationsGetOdbc2Answers) {
    disconnect();
    dbc_.reset();
    ASSERT_EQ(SQLSetEnvAttr(env_->get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0),
              SQL_SUCCESS);
    dbc_.emplace(SQL_HANDLE_DBC, env_->get());
    ASSERT_EQ(connect(), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'a', 'v'), "
                  "('c', 'b', 'v')"),
              SQL_SUCCESS);
    // A searched UPDATE or DELETE that finds nothing succeeds, with no rows counted.
    EXPECT_EQ(run("UPDATE phrase SET content = 'x' WHERE code = 'absent'"), SQL_SUCCESS);
    EXPECT_EQ(run("DELETE FROM phrase WHERE code = 'absent'"), SQL_SUCCESS);

    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    ASSERT_EQ(SQLExecDirect(stmt.get(), sql("SELECT code FROM phrase ORDER BY code"), SQL_NTS),
              SQL_SUCCESS);
    char code[8] = {};
    SQLLEN indicator = 0;
    ASSERT_EQ(SQLBindCol(stmt.get(), 1, SQL_C_CHAR, code, sizeof code, &indicator), SQL_SUCCESS);
    std::string seen;
    for (;;) {
        SQLULEN fetched = 99;
        SQLUSMALLINT status[1] = {99};
        const SQLRETURN rc = SQLExtendedFetch(stmt.get(), SQL_FETCH_NEXT, 0, &fetched, status);
        if (rc == SQL_NO_DATA) {
            break;
        }
        ASSERT_EQ(rc, SQL_SUCCESS) << state(stmt.get());
        EXPECT_EQ(fetched, 1U);
        EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
        seen += code;
    }
    EXPECT_EQ(seen, "ab");
}

} // namespace
} // namespace brevicor::test
