// The program's one schema is Access SQL; sent through the driver manager, the engine must make
// from it exactly the table of the library's own schema, with its limits, its case-blind text
// and its AutoNumber.
#include "library_fixture.hpp"

#include <sqlite3.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

// The stored definition of a table with comments dropped and blanks made uniform, so that
// two definitions compare equal exactly when SQLite builds the same table from them.
std::string stored_definition(const fs::path& library, const std::string& table) {
    sqlite3* db = nullptr;
    std::string sql;
    if (sqlite3_open_v2(library.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE name = ?1", -1, &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    std::string out;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql.compare(i, 2, "--") == 0) {
            i = sql.find('\n', i);
            if (i == std::string::npos) {
                break;
            }
        }
        const char c = std::isspace(static_cast<unsigned char>(sql[i])) != 0 ? ' ' : sql[i];
        if (c == ' ' && (out.empty() || out.back() == ' ' || out.back() == '(')) {
            continue;
        }
        if (c == ')' && !out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += c;
    }
    return out;
}

std::string bytes(std::size_t n) {
    return std::string(n, 'x');
}

class AccessDdlTest : public LibraryTest {
protected:
    // Replaces the fixture's library with an empty file, as a freshly created one is, and
    // connects to it.
    void SetUp() override {
        LibraryTest::SetUp();
        fs::remove(library_path());
        std::ofstream(library_path(), std::ios::binary).flush();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }

    std::string first_state() const { return last_diag.empty() ? "" : last_diag[0].sqlstate; }
};

TEST_F(AccessDdlTest, ProgramSchemaMakesTheReferenceTable) {
    ASSERT_EQ(run_direct(read_text(BREVICOR_SCHEMA_SQL)), SQL_SUCCESS) << first_state();
    disconnect();

    const fs::path reference = work_ / "reference.mdb";
    const std::string command = std::string(BREVICOR_NEWLIB) + " \"" + reference.string() +
                                "\" \"" + BREVICOR_REFERENCE_SCHEMA_SQL + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::string made = stored_definition(library_path(), "phrase");
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(made, stored_definition(reference, "phrase"));
    // The program's own set-up tool, given the same Access text, makes the same table too.
    ASSERT_EQ(make_library(work_ / "database" / "made-by-tool.mdb"), 0);
    EXPECT_EQ(stored_definition(work_ / "database" / "made-by-tool.mdb", "phrase"), made);
}

TEST_F(AccessDdlTest, TableFromAccessSchemaKeepsTheLibraryRules) {
    ASSERT_EQ(run_direct(read_text(BREVICOR_SCHEMA_SQL)), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('Caf\xE9', 'hi', '" +
                  bytes(5000) + "')"),
              SQL_SUCCESS);

    // Byte limits on both text fields: 255 fits, 256 is refused as truncation.
    struct Limit {
        const char* column;
        std::size_t length;
        const char* sqlstate;
    };
    for (const Limit& c : {Limit{"category", 255, ""}, Limit{"category", 256, "22001"},
                           Limit{"code", 255, ""}, Limit{"code", 256, "22001"}}) {
        SCOPED_TRACE(std::string(c.column) + " " + std::to_string(c.length));
        const SQLRETURN rc = run(std::string("INSERT INTO phrase (") + c.column + ") VALUES ('" +
                                 bytes(c.length) + "')");
        if (*c.sqlstate == '\0') {
            EXPECT_EQ(rc, SQL_SUCCESS);
        } else {
            EXPECT_EQ(rc, SQL_ERROR);
            EXPECT_EQ(first_state(), c.sqlstate);
        }
    }

    // Text compares ignoring case, accented Windows-1252 letters included.
    EXPECT_EQ(scalar("SELECT code FROM phrase WHERE category = 'CAF\xC9'"), "hi");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE code = 'HI'"), "1");

    // A deleted AutoNumber is never handed out again.
    const std::string top = scalar("SELECT MAX(PhraseID) FROM phrase");
    ASSERT_EQ(run("DELETE FROM phrase WHERE PhraseID = " + top), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (code) VALUES ('after')"), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT PhraseID FROM phrase WHERE code = 'after'"),
              std::to_string(std::stoll(top) + 1));
}

TEST_F(AccessDdlTest, AccessFieldTypesBecomeLibraryFields) {
    // Each definition, then a value that must fit and one that must be refused as too long
    // (empty when the field has no limit).
    struct Case {
        std::string ddl;
        std::string fits;
        std::string too_long;
    };
    const Case cases[] = {
        {"CREATE TABLE t (id AUTOINCREMENT PRIMARY KEY, v VARCHAR(10))",
         "INSERT INTO t (v) VALUES ('0123456789')", "INSERT INTO t (v) VALUES ('0123456789A')"},
        {"CREATE TABLE [my table] ([the id] COUNTER, [a field] TEXT(3) NOT NULL);",
         "INSERT INTO \"my table\" (\"a field\") VALUES ('abc')",
         "INSERT INTO \"my table\" (\"a field\") VALUES ('abcd')"},
        {"create table t (id counter constraint pk primary key, v text, n long, m longtext)",
         "INSERT INTO t (v, n, m) VALUES ('ok', 7, 'any length')",
         "INSERT INTO t (v) VALUES ('x" + std::string(255, 'y') + "')"},
        {"CREATE TABLE t (n INTEGER CONSTRAINT PrimaryKey PRIMARY KEY, v CHAR(2), m MEMO)",
         "INSERT INTO t (n, v) VALUES (1, 'ab')", "INSERT INTO t (n, v) VALUES (2, 'abc')"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ddl);
        ASSERT_EQ(run_direct(c.ddl), SQL_SUCCESS) << first_state();
        EXPECT_EQ(run(c.fits), SQL_SUCCESS) << first_state();
        EXPECT_EQ(run(c.too_long), SQL_ERROR);
        EXPECT_EQ(first_state(), "22001");
        const Rows tables = query("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                  "name <> 'sqlite_sequence'");
        ASSERT_EQ(tables.size(), 1U);
        ASSERT_EQ(run_direct("DROP TABLE \"" + tables[0][0].value_or("") + "\""), SQL_SUCCESS);
    }
    // The text of every table just made was case-blind: checked on one.
    ASSERT_EQ(run_direct("CREATE TABLE t (v TEXT(20))"), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO t (v) VALUES ('\xC9T\xC9')"), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM t WHERE v = '\xE9t\xE9'"), "1");
}

// A date field must not push a whole definition past the translation: SQLite would take the
// Access text as it is, and its COUNTER would then be a plain column that stays empty.
TEST_F(AccessDdlTest, DateFieldsKeepTheAutoNumberWorking) {
    ASSERT_EQ(run_direct("CREATE TABLE h (HistoryID COUNTER CONSTRAINT hk PRIMARY KEY, "
                         "n INTEGER NOT NULL, c TEXT(4), at DATETIME)"),
              SQL_SUCCESS)
        << first_state();
    ASSERT_EQ(run("INSERT INTO h (n, c, at) VALUES (1, 'abcd', '2026-12-11 09:00:00')"),
              SQL_SUCCESS)
        << first_state();
    EXPECT_EQ(scalar("SELECT HistoryID FROM h"), "1");
    EXPECT_EQ(scalar("SELECT at FROM h"), "2026-12-11 09:00:00");
    EXPECT_EQ(run("INSERT INTO h (n, c) VALUES (2, 'abcde')"), SQL_ERROR);
    EXPECT_EQ(first_state(), "22001");
}

TEST_F(AccessDdlTest, DefinitionsTheLibraryCannotHoldAreRefused) {
    for (const char* ddl : {
             "CREATE TABLE t (a COUNTER, b COUNTER)",
             "CREATE TABLE t (a TEXT(20) CONSTRAINT pk PRIMARY KEY)",
             "CREATE TABLE t (a COUNTER, b LONG PRIMARY KEY)",
             "CREATE TABLE t (a TEXT(0))",
             "CREATE TABLE t (a TEXT(256))",
             "CREATE TABLE t (a DATETIME PRIMARY KEY)",
         }) {
        SCOPED_TRACE(ddl);
        EXPECT_EQ(run_direct(ddl), SQL_ERROR);
        EXPECT_EQ(first_state(), "42000");
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE name = 't'"), "0");
    }
}

} // namespace
} // namespace brevicor::test
