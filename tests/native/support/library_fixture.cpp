#include "tests/native/support/library_fixture.h"

#include "store/odbc_session.h"
#include "store/trace.h"

#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>

namespace brevicor::testing {

namespace {

std::string g_trace;

void CollectTrace(const char* text) {
    g_trace += text;
}

const char* TeamFolder() {
    const char* folder = std::getenv("BREVICOR_TEST_TEAM_ODBCSYSINI");
    return folder != nullptr && *folder != '\0' ? folder : nullptr;
}

// Drops the team library's tables and makes them again from the team schema, with psql and
// the server's URL (BREVICOR_TEST_TEAM_URL): each test starts from new, empty tables, whatever
// the one before did to them.
bool RemakeTeamTables() {
    const char* url = std::getenv("BREVICOR_TEST_TEAM_URL");
    if (url == nullptr) {
        return false;
    }
    pid_t child = fork();
    if (child == 0) {
        setenv("PGOPTIONS", "-c client_min_messages=warning", 1);
        execlp("psql", "psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", url, "-c",
               "DROP TABLE IF EXISTS phrase, phrase_history CASCADE", "-f",
               BREVICOR_TEAM_SCHEMA_SQL, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

bool TeamLibrary() {
    return TeamFolder() != nullptr;
}

std::string EveryByte() {
    std::string bytes;
    for (int b = 1; b <= 255; ++b) {
        bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (!(undefined && TeamLibrary())) {
            bytes += static_cast<char>(b);
        }
    }
    return bytes;
}

void LibraryTest::SetUp() {
    const char* team = TeamFolder();
    if (team != nullptr) {
        // Before anything reaches the driver manager: it reads the variable once per process.
        setenv("ODBCSYSINI", team, 1);
    }
    brevicor::test::LibraryTest::SetUp();
    if (team != nullptr) {
        ASSERT_TRUE(RemakeTeamTables()) << "the team tables could not be made afresh";
    }
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
