// Manual-commit transactions as pyodbc and other clients use them: SQL_ATTR_AUTOCOMMIT off,
// SQLEndTran on the connection and the environment, and isolation levels that say what the
// library really does.
#include "library_fixture.hpp"

namespace brevicor::test {
namespace {

// A second connection to the same library, as another program would have.
class Other {
public:
    explicit Other(SQLHENV env) : dbc_(SQL_HANDLE_DBC, env) {
        std::string text = kProgramConnection;
        SQLCHAR out[512];
        SQLSMALLINT length = 0;
        connected_ = SQL_SUCCEEDED(
            SQLDriverConnect(dbc_.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS,
                             out, sizeof out, &length, SQL_DRIVER_NOPROMPT));
    }
    ~Other() {
        if (connected_) {
            SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
            SQLDisconnect(dbc_.get());
        }
    }
    Other(const Other&) = delete;
    Other& operator=(const Other&) = delete;
    SQLHDBC get() const { return dbc_.get(); }
    bool connected() const { return connected_; }

    // Runs a statement; returns its code and keeps the first SQLSTATE.
    SQLRETURN run(const std::string& sql) {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        const SQLRETURN rc = SQLExecDirect(
            stmt.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        const auto diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
        state = diag.empty() ? "" : diag[0].sqlstate;
        return rc;
    }
    std::string count() {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        char value[32] = {};
        SQLLEN indicator = 0;
        SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(kCount)), SQL_NTS);
        SQLFetch(stmt.get());
        SQLGetData(stmt.get(), 1, SQL_C_CHAR, value, sizeof value, &indicator);
        return value;
    }
    std::string state;

    static constexpr const char* kCount = "SELECT COUNT(*) FROM phrase";

private:
    Handle dbc_;
    bool connected_ = false;
};

class TransactionsTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }
    SQLRETURN set_autocommit(SQLULEN value) {
        return SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(value), 0);
    }
    SQLRETURN end(SQLSMALLINT completion) {
        return SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), completion);
    }
    SQLRETURN insert(const std::string& code) {
        return run("INSERT INTO phrase (category, code, content) VALUES ('c', '" + code +
                   "', 'v')");
    }
    std::string count() { return scalar(Other::kCount); }
};

TEST_F(TransactionsTest, CommitKeepsAndRollbackUndoesWhatOthersNeverSawMeanwhile) {
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    SQLUINTEGER autocommit = 99;
    ASSERT_EQ(SQLGetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(autocommit, SQL_AUTOCOMMIT_OFF);
    Other other(env_->get());
    ASSERT_TRUE(other.connected());

    ASSERT_EQ(insert("gone"), SQL_SUCCESS);
    EXPECT_EQ(count(), "1");
    EXPECT_EQ(other.count(), "0") << "uncommitted rows are visible to another connection";
    ASSERT_EQ(end(SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(count(), "0");

    ASSERT_EQ(insert("kept"), SQL_SUCCESS);
    ASSERT_EQ(run("UPDATE phrase SET content = 'changed' WHERE code = 'kept'"), SQL_SUCCESS);
    ASSERT_EQ(end(SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(other.count(), "1");
    // The commit released the lock: the other connection writes at once.
    EXPECT_EQ(other.run("DELETE FROM phrase WHERE code = 'kept'"), SQL_SUCCESS) << other.state;

    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), 7), SQL_ERROR);
    EXPECT_EQ(diagnostics(SQL_HANDLE_DBC, dbc_->get()).at(0).sqlstate, "HY012");
}

TEST_F(TransactionsTest, EnvironmentEndsTheTransactionsOfEveryConnection) {
    Other other(env_->get());
    ASSERT_TRUE(other.connected());
    for (SQLHDBC dbc : {dbc_->get(), other.get()}) {
        ASSERT_EQ(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                  SQL_SUCCESS);
    }
    ASSERT_EQ(insert("mine"), SQL_SUCCESS);
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_ENV, env_->get(), SQL_COMMIT), SQL_SUCCESS);
    ASSERT_EQ(other.run("INSERT INTO phrase (category, code, content) VALUES ('c', 'x', 'v')"),
              SQL_SUCCESS)
        << other.state;
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_ENV, env_->get(), SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(count(), "1");
    EXPECT_EQ(scalar("SELECT code FROM phrase"), "mine");
}

TEST_F(TransactionsTest, SwitchingAutocommitBackOnCommits) {
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    ASSERT_EQ(insert("a"), SQL_SUCCESS);
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_ON), SQL_SUCCESS);
    Other other(env_->get());
    EXPECT_EQ(other.count(), "1");
    EXPECT_EQ(set_autocommit(5), SQL_ERROR);
    EXPECT_EQ(diagnostics(SQL_HANDLE_DBC, dbc_->get()).at(0).sqlstate, "HY024");
}

TEST_F(TransactionsTest, DisconnectRefusesToDropAnOpenTransaction) {
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    ASSERT_EQ(insert("pending"), SQL_SUCCESS);
    ASSERT_EQ(SQLDisconnect(dbc_->get()), SQL_ERROR);
    EXPECT_EQ(diagnostics(SQL_HANDLE_DBC, dbc_->get()).at(0).sqlstate, "25000");
    // Still connected, with the work intact.
    ASSERT_EQ(end(SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(count(), "1");
    EXPECT_EQ(SQLDisconnect(dbc_->get()), SQL_SUCCESS);
    connected_ = false;
}

TEST_F(TransactionsTest, IsolationLevelsAreTheOnesProvided) {
    SQLUINTEGER level = 0;
    ASSERT_EQ(SQLGetConnectAttr(dbc_->get(), SQL_ATTR_TXN_ISOLATION, &level, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(level, SQL_TXN_READ_COMMITTED);
    SQLUINTEGER offered = 0;
    ASSERT_EQ(SQLGetInfo(dbc_->get(), SQL_TXN_ISOLATION_OPTION, &offered, sizeof offered, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(offered, static_cast<SQLUINTEGER>(SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE));

    const struct {
        SQLULEN asked;
        SQLRETURN rc;
        const char* state;
        SQLUINTEGER provided;
    } cases[] = {
        {SQL_TXN_READ_UNCOMMITTED, SQL_SUCCESS_WITH_INFO, "01S02", SQL_TXN_READ_COMMITTED},
        {SQL_TXN_READ_COMMITTED, SQL_SUCCESS, "", SQL_TXN_READ_COMMITTED},
        {SQL_TXN_REPEATABLE_READ, SQL_SUCCESS_WITH_INFO, "01S02", SQL_TXN_SERIALIZABLE},
        {SQL_TXN_SERIALIZABLE, SQL_SUCCESS, "", SQL_TXN_SERIALIZABLE},
        {3, SQL_ERROR, "HY024", SQL_TXN_SERIALIZABLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        EXPECT_EQ(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_TXN_ISOLATION,
                                    reinterpret_cast<SQLPOINTER>(c.asked), 0),
                  c.rc);
        const auto diag = diagnostics(SQL_HANDLE_DBC, dbc_->get());
        EXPECT_EQ(diag.empty() ? "" : diag[0].sqlstate, c.state);
        ASSERT_EQ(SQLGetConnectAttr(dbc_->get(), SQL_ATTR_TXN_ISOLATION, &level, 0, nullptr),
                  SQL_SUCCESS);
        EXPECT_EQ(level, c.provided);
    }
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    ASSERT_EQ(insert("open"), SQL_SUCCESS);
    EXPECT_EQ(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_TXN_ISOLATION,
                                reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_COMMITTED), 0),
              SQL_ERROR);
    EXPECT_EQ(diagnostics(SQL_HANDLE_DBC, dbc_->get()).at(0).sqlstate, "HY011");
    ASSERT_EQ(end(SQL_ROLLBACK), SQL_SUCCESS);
}

// What each level means for another program that wants to save while a transaction reads.
TEST_F(TransactionsTest, ReadsLockTheLibraryOnlyUnderSerializable) {
    ASSERT_EQ(insert("a"), SQL_SUCCESS);
    ASSERT_EQ(set_autocommit(SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    Other other(env_->get());
    ASSERT_TRUE(other.connected());

    // Read committed: a transaction that has only read holds nothing.
    EXPECT_EQ(count(), "1");
    EXPECT_EQ(other.run("UPDATE phrase SET content = 'w1'"), SQL_SUCCESS) << other.state;
    EXPECT_EQ(count(), "1");
    ASSERT_EQ(end(SQL_COMMIT), SQL_SUCCESS);

    ASSERT_EQ(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_TXN_ISOLATION,
                                reinterpret_cast<SQLPOINTER>(SQL_TXN_SERIALIZABLE), 0),
              SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase"), "w1");
    // What was read stays as read: the writer waits, then gives up with a timeout.
    EXPECT_EQ(other.run("UPDATE phrase SET content = 'w2'"), SQL_ERROR);
    EXPECT_EQ(other.state, "HYT00");
    EXPECT_EQ(scalar("SELECT content FROM phrase"), "w1");
    ASSERT_EQ(end(SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(other.run("UPDATE phrase SET content = 'w2'"), SQL_SUCCESS) << other.state;
}

} // namespace
} // namespace brevicor::test
