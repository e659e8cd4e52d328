#include "tests/native/support/library_fixture.h"

#include "store/odbc_session.h"
#include "store/trace.h"

#include <cstdlib>
#include <filesystem>

namespace brevicor::testing {

namespace {

std::string g_trace;

void CollectTrace(const char* text) {
    g_trace += text;
}

} // namespace

void LibraryTest::SetUp() {
    brevicor::test::LibraryTest::SetUp();
    ResetStore();
    g_trace.clear();
    SetTraceObserver(&CollectTrace);
}

void LibraryTest::TearDown() {
    SetTraceObserver(nullptr);
    ResetStore();
    brevicor::test::LibraryTest::TearDown();
}

// Each helper connects for its own statements only, so that the test's connection is never
// open while the library file is removed or replaced.
void LibraryTest::Exec(const std::string& sql) {
    ASSERT_TRUE(SQL_SUCCEEDED(connect()));
    SQLRETURN rc = run_direct(sql);
    EXPECT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        << sql.substr(0, 200) << ": " << (last_diag.empty() ? "" : last_diag[0].message);
    disconnect();
}

std::vector<std::vector<std::string>> LibraryTest::Query(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    if (!SQL_SUCCEEDED(connect())) {
        ADD_FAILURE() << "test connection failed";
        return rows;
    }
    for (const auto& cells : query(sql)) {
        std::vector<std::string> row;
        for (const brevicor::test::Cell& cell : cells) {
            row.push_back(cell.value_or("<null>"));
        }
        rows.push_back(std::move(row));
    }
    disconnect();
    return rows;
}

int LibraryTest::InsertRow(const std::string& category, const std::string& code,
                           const std::string& content) {
    using brevicor::test::literal;
    Exec("INSERT INTO phrase (category, code, content) VALUES (" + literal(category) + ", " +
         literal(code) + ", " + literal(content) + ")");
    auto rows = Query("SELECT MAX(PhraseID) FROM phrase");
    return rows.empty() ? -1 : std::atoi(rows[0][0].c_str());
}

void LibraryTest::RemoveLibrary() {
    std::filesystem::remove(library_path());
}

std::string LibraryTest::TakeTrace() {
    std::string taken = g_trace;
    g_trace.clear();
    return taken;
}

} // namespace brevicor::testing
