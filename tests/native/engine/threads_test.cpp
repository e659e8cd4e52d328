// Several threads using the engine at once, as multi-threaded ODBC clients do: each with its
// own connections, and several sharing one connection.
#include "library_fixture.hpp"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace brevicor::test {
namespace {

// Reads the first column of the first row as text; empty when the query fails.
std::string first_cell(SQLHDBC dbc, const std::string& sql) {
    Handle stmt(SQL_HANDLE_STMT, dbc);
    if (stmt.get() == nullptr) {
        return {};
    }
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt.get(), text, SQL_NTS)) ||
        !SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
        return {};
    }
    char value[64] = {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(stmt.get(), 1, SQL_C_CHAR, value, sizeof value, &indicator))) {
        return {};
    }
    return value;
}

TEST_F(LibraryTest, ThreadsWithTheirOwnConnectionsConnectQueryAndFreeTogether) {
    ASSERT_EQ(connect(), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
              SQL_SUCCESS);
    constexpr int kThreads = 6;
    constexpr int kRounds = 100;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                Handle dbc(SQL_HANDLE_DBC, env_->get());
                std::string text = kProgramConnection;
                SQLCHAR out[512];
                SQLSMALLINT out_length = 0;
                if (!SQL_SUCCEEDED(SQLDriverConnect(
                        dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, out,
                        sizeof out, &out_length, SQL_DRIVER_NOPROMPT))) {
                    ++failures;
                    continue;
                }
                for (int q = 0; q < 3; ++q) {
                    if (first_cell(dbc.get(), "SELECT COUNT(*) FROM phrase") != "1") {
                        ++failures;
                    }
                }
                SQLDisconnect(dbc.get());
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(LibraryTest, ThreadsSharingOneConnectionEachSaveEveryRow) {
    ASSERT_EQ(connect(), SQL_SUCCESS);
    constexpr int kThreads = 4;
    constexpr int kRows = 50;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRows; ++i) {
                Handle stmt(SQL_HANDLE_STMT, dbc_->get());
                std::string sql = "INSERT INTO phrase (category, code, content) VALUES ('t" +
                                  std::to_string(t) + "', 'k" + std::to_string(i) + "', 'v')";
                if (SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS) !=
                    SQL_SUCCESS) {
                    ++failures;
                }
                // Diagnostics of one thread's statement never show another thread's records.
                if (!diagnostics(SQL_HANDLE_STMT, stmt.get()).empty()) {
                    ++failures;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), std::to_string(kThreads * kRows));
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT category || code) FROM phrase"),
              std::to_string(kThreads * kRows));
}

} // namespace
} // namespace brevicor::test
