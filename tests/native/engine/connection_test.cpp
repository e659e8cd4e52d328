// Connecting: the program's exact connection string, and libraries that are not there.
#include "library_fixture.hpp"

#include <fstream>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

TEST_F(LibraryTest, ProgramConnectionStringReachesTheLibrary) {
    struct Case {
        const char* what;
        SQLSMALLINT length;
    };
    const Case cases[] = {{"length 255, NUL padded", 255},
                          {"exact length", static_cast<SQLSMALLINT>(kProgramConnection.size())},
                          {"NUL terminated", SQL_NTS}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(connect(kProgramConnection, c.length), SQL_SUCCESS)
            << (last_diag.empty() ? "" : last_diag[0].message);
        ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
                  SQL_SUCCESS);
        disconnect();
    }
    // Every connection wrote into the same file under the working folder.
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "3");
}

TEST_F(LibraryTest, MissingLibraryIsRefusedAndNeverCreated) {
    const struct {
        const char* what;
        std::string connection;
        fs::path absent;
    } cases[] = {
        {"file missing", kProgramConnection, library_path()},
        {"folder missing", "DBQ=nowhere/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}",
         work_ / "nowhere"},
    };
    fs::remove(library_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(connect(c.connection), SQL_ERROR);
        ASSERT_FALSE(last_diag.empty());
        EXPECT_EQ(last_diag[0].sqlstate, "08001");
        EXPECT_NE(last_diag[0].message.find("phrases.mdb"), std::string::npos)
            << last_diag[0].message;
        EXPECT_FALSE(fs::exists(c.absent));
    }
}

TEST_F(LibraryTest, FileThatIsNotALibraryIsRefused) {
    { std::ofstream(library_path(), std::ios::trunc) << "just some text, not a library\n"; }
    EXPECT_EQ(connect(), SQL_ERROR);
    ASSERT_FALSE(last_diag.empty());
    EXPECT_EQ(last_diag[0].sqlstate, "08001");
}

TEST_F(LibraryTest, DataSourceNameFindsTheLibraryThroughOdbcIni) {
    const fs::path ini = work_ / "odbc.ini";
    std::ofstream(ini) << "[PhraseLibrary]\nDriver=Microsoft Access Driver (*.mdb)\nDBQ="
                       << library_path().string() << "\n";
    setenv("ODBCINI", ini.c_str(), 1);
    std::string dsn = "PhraseLibrary";
    const SQLRETURN rc = SQLConnect(dbc_->get(), reinterpret_cast<SQLCHAR*>(dsn.data()), SQL_NTS,
                                    nullptr, 0, nullptr, 0);
    unsetenv("ODBCINI");
    last_diag = diagnostics(SQL_HANDLE_DBC, dbc_->get());
    ASSERT_EQ(rc, SQL_SUCCESS) << (last_diag.empty() ? "" : last_diag[0].message);
    connected_ = true;
    EXPECT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('a', 'b', 'c')"),
              SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'b'"), "c");
}

} // namespace
} // namespace brevicor::test
