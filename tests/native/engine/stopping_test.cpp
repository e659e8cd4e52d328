// Statements that would run for ever can be stopped: SQLCancel from another thread,
// SQL_ATTR_QUERY_TIMEOUT, and SQL_ATTR_MAX_ROWS ending the work once enough rows are read.
#include "library_fixture.hpp"

#include <thread>

namespace brevicor::test {
namespace {

// Counts for ever: a recursive query without an end.
constexpr const char* kEndless =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n";

class StoppingTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
        stmt_.emplace(SQL_HANDLE_STMT, dbc_->get());
    }
    void TearDown() override {
        stmt_.reset();
        LibraryTest::TearDown();
    }
    SQLRETURN set_attr(SQLINTEGER attribute, SQLULEN value) {
        return SQLSetStmtAttr(stmt_->get(), attribute, reinterpret_cast<SQLPOINTER>(value), 0);
    }
    SQLRETURN exec(const std::string& sql) {
        const SQLRETURN rc = SQLExecDirect(
            stmt_->get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        last_diag = diagnostics(SQL_HANDLE_STMT, stmt_->get());
        return rc;
    }
    std::string state() const { return last_diag.empty() ? "" : last_diag[0].sqlstate; }
    std::optional<Handle> stmt_;
};

TEST_F(StoppingTest, CancelFromAnotherThreadStopsTheRunningStatement) {
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
    // Only a safety net, so that a cancel that never arrives fails the test instead of
    // hanging it: the expected answer is HY008, not HYT00.
    ASSERT_EQ(set_attr(SQL_ATTR_QUERY_TIMEOUT, 60), SQL_SUCCESS);
    // The canceller cancels once it knows the statement runs: the endless update holds the
    // write lock, so another connection's write waits and then times out. (A cancel after
    // the statement ended would make the driver manager drop its diagnostics.)
    std::thread canceller([&] {
        Handle other(SQL_HANDLE_DBC, env_->get());
        std::string text = kProgramConnection;
        SQLCHAR out[512];
        SQLSMALLINT length = 0;
        ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(other.get(), nullptr,
                                                   reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS,
                                                   out, sizeof out, &length, SQL_DRIVER_NOPROMPT)));
        for (;;) {
            Handle probe(SQL_HANDLE_STMT, other.get());
            const SQLRETURN rc = SQLExecDirect(
                probe.get(),
                reinterpret_cast<SQLCHAR*>(const_cast<char*>(
                    "INSERT INTO phrase (category, code, content) VALUES ('p', 'p', 'p')")),
                SQL_NTS);
            if (rc == SQL_ERROR) {
                EXPECT_EQ(diagnostics(SQL_HANDLE_STMT, probe.get()).at(0).sqlstate, "HYT00");
                break;
            }
        }
        EXPECT_EQ(SQLCancel(stmt_->get()), SQL_SUCCESS);
        SQLDisconnect(other.get());
    });
    const SQLRETURN rc = exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                              "UPDATE phrase SET content = (SELECT COUNT(*) FROM n)");
    canceller.join();
    EXPECT_EQ(rc, SQL_ERROR);
    EXPECT_EQ(state(), "HY008");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE content = 'v'"), "1");
    // The statement and the connection go on working, and a cancel with nothing running
    // changes nothing.
    EXPECT_EQ(SQLCancel(stmt_->get()), SQL_SUCCESS);
    EXPECT_EQ(exec("SELECT 1"), SQL_SUCCESS);
    SQLFreeStmt(stmt_->get(), SQL_CLOSE);
    EXPECT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
}

TEST_F(StoppingTest, CancelBetweenCallsClosesTheCursorAsTheDriverManagerDoes) {
    ASSERT_EQ(SQLPrepare(stmt_->get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>("SELECT 1")),
                         SQL_NTS),
              SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(stmt_->get()), SQL_SUCCESS);
    ASSERT_EQ(SQLCancel(stmt_->get()), SQL_SUCCESS);
    // The driver manager now takes the statement for closed; running it again must work.
    EXPECT_EQ(SQLExecute(stmt_->get()), SQL_SUCCESS)
        << diagnostics(SQL_HANDLE_STMT, stmt_->get()).at(0).message;
    EXPECT_EQ(SQLFetch(stmt_->get()), SQL_SUCCESS);
}

TEST_F(StoppingTest, QueryTimeoutStopsTheStatementWithHYT00) {
    ASSERT_EQ(set_attr(SQL_ATTR_QUERY_TIMEOUT, 1), SQL_SUCCESS);
    SQLULEN timeout = 0;
    ASSERT_EQ(SQLGetStmtAttr(stmt_->get(), SQL_ATTR_QUERY_TIMEOUT, &timeout, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(timeout, 1U);
    EXPECT_EQ(exec(kEndless), SQL_ERROR);
    EXPECT_EQ(state(), "HYT00");
    // Inside a transaction the work before the stopped statement is kept.
    ASSERT_EQ(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
              SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
    EXPECT_EQ(exec(kEndless), SQL_ERROR);
    EXPECT_EQ(state(), "HYT00");
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "1");
}

TEST_F(StoppingTest, MaxRowsEndsTheWorkOnceTheRowsAreRead) {
    ASSERT_EQ(set_attr(SQL_ATTR_QUERY_TIMEOUT, 60), SQL_SUCCESS); // safety net, as above
    ASSERT_EQ(set_attr(SQL_ATTR_MAX_ROWS, 5), SQL_SUCCESS);
    ASSERT_EQ(exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                   "SELECT i FROM n"),
              SQL_SUCCESS)
        << state();
    int rows = 0;
    while (SQLFetch(stmt_->get()) == SQL_SUCCESS) {
        ++rows;
    }
    EXPECT_EQ(rows, 5);
    SQLFreeStmt(stmt_->get(), SQL_CLOSE);
    // A statement that writes still does all its work.
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'a', 'v'), "
                  "('c', 'b', 'v'), ('c', 'c', 'v'), ('c', 'd', 'v'), ('c', 'e', 'v'), "
                  "('c', 'f', 'v')"),
              SQL_SUCCESS);
    ASSERT_EQ(exec("UPDATE phrase SET content = 'all' RETURNING code"), SQL_SUCCESS) << state();
    SQLFreeStmt(stmt_->get(), SQL_CLOSE);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE content = 'all'"), "6");
}

} // namespace
} // namespace brevicor::test
