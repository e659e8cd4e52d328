// The index the engine keeps for the tray menu: the same answers with and without it, made on
// an old library that lacks it, and a file the sqlite3 shell still reads but cannot disorder.
#include "library_fixture.hpp"

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

using Sqlite = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Sqlite open_raw(const fs::path& path, int flags = SQLITE_OPEN_READWRITE) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    return Sqlite(raw, &sqlite3_close);
}

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Shell {
    int status = -1;
    std::string output;
};

// The sqlite3 shell on the library, without the engine: what someone inspecting the file has.
Shell run_shell(const fs::path& library, const std::string& sql) {
    const std::string command =
        "sqlite3 -batch -bail \"" + library.string() + "\" \"" + sql + "\" 2>&1";
    Shell out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buf[4096];
    std::size_t n = 0;
    while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0) {
        out.output.append(buf, n);
    }
    out.status = pclose(pipe);
    return out;
}

class PhraseIndexTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }

    // Names that differ in ASCII case and only in length, lower-case accented letters in
    // categories (the index stays), accented capitals in codes (é/É, which are not indexed),
    // in an order that is not the sorted one.
    void add_phrases() {
        const char* rows[][2] = {
            {"caf\xE9", "Zeta"},      {"caf\xE9", "alpha"}, {"Caf", "beta"},
            {"caf\xE9", "\xC9t\xE9"}, {"\x9Apice", "one"},  {"\x9Apice", "Two"},
            {"caf\xE9", "\xE9t\xE9"}, {"c\x9Cur", "x"},     {"C\x9CUR", "y"},
            {"caf\xE9", ""},          {"CAF", "BETA"},      {"zz", "a"},
        };
        for (const auto& row : rows) {
            ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES (" +
                          literal(row[0]) + ", " + literal(row[1]) + ", 'text')"),
                      SQL_SUCCESS)
                << (last_diag.empty() ? "" : last_diag[0].message);
        }
    }

    // What the store asks of the table: the category list, each category's menu, counts and
    // rows in table order, and the rows a delete by category and code would reach.
    std::vector<Rows> store_answers() {
        std::vector<Rows> answers;
        const Rows categories = query("SELECT DISTINCT category FROM phrase ORDER BY category ASC");
        answers.push_back(categories);
        for (const auto& row : categories) {
            const std::string name = literal(row[0].value_or(""));
            answers.push_back(query("SELECT code, PhraseID FROM phrase WHERE category = " + name +
                                    " ORDER BY code ASC"));
            answers.push_back(query("SELECT COUNT(PhraseID) FROM phrase WHERE category = " + name));
            // Without ORDER BY the rows come in the order they were added, index or not.
            answers.push_back(query("SELECT code FROM phrase WHERE category = " + name));
        }
        for (const char* probe : {"CAF\xC9", "\x8APICE", "c\x8Cur", "caf"}) {
            answers.push_back(
                query("SELECT PhraseID FROM phrase WHERE category = " + literal(probe) +
                      " AND code = 'ONE' OR category = " + literal(probe) +
                      " AND code = '\xC9T\xC9' ORDER BY PhraseID"));
        }
        return answers;
    }

    int index_count() {
        return std::stoi(
            scalar("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'brevicor_phrase_%'"));
    }
};

TEST_F(PhraseIndexTest, AnswersAreTheSameWithAndWithoutTheIndex) {
    add_phrases();
    // A new library has the index and its three triggers.
    ASSERT_EQ(index_count(), 4);
    const std::vector<Rows> with_index = store_answers();
    EXPECT_EQ(with_index[0].size(), 5u) << "café, Caf/CAF, špice, cœur/CœUR, zz";

    // The same file as an old library left it: no index, no triggers.
    disconnect();
    {
        Sqlite db = open_raw(library_path());
        ASSERT_EQ(sqlite3_exec(db.get(),
                               "DROP INDEX brevicor_phrase_category;"
                               "DROP TRIGGER brevicor_phrase_index_insert;"
                               "DROP TRIGGER brevicor_phrase_index_update;"
                               "DROP TRIGGER brevicor_phrase_index_delete;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        // Read-only on disk: the engine must work without the index and not write.
        ASSERT_EQ(sqlite3_exec(db.get(), "PRAGMA user_version = 7", nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    fs::permissions(library_path(), fs::perms::owner_read | fs::perms::group_read);
    const std::string before = read_bytes(library_path());
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(index_count(), 0) << "a read-only library is never changed";
    EXPECT_EQ(store_answers(), with_index);
    disconnect();
    EXPECT_EQ(read_bytes(library_path()), before);

    // Writable again: the next connection upgrades it, and the answers stay the same.
    fs::permissions(library_path(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(index_count(), 4);
    EXPECT_EQ(scalar("PRAGMA user_version"), "7") << "the upgrade keeps everything else";
    EXPECT_EQ(store_answers(), with_index);
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
}

TEST_F(PhraseIndexTest, WritesThroughTheEngineKeepTheIndexInOrder) {
    add_phrases();
    ASSERT_EQ(run("UPDATE phrase SET category = '\xE9t\xE9', code = 'CAF\xC9' WHERE code = 'Zeta'"),
              SQL_SUCCESS);
    EXPECT_EQ(index_count(), 4);
    ASSERT_EQ(run("DELETE FROM phrase WHERE category = 'CAF\xC9' AND code = '\xC9T\xC9'"),
              SQL_SUCCESS);
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
    // Both "été" and "Été" rows went (the same code under the library's rule), and "Zeta"
    // moved away: "alpha" and the placeholder row are left.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE category = 'caf\xE9'"), "2");
    EXPECT_EQ(query("SELECT code FROM phrase WHERE category = '\xE9T\xC9' ORDER BY code"),
              (Rows{{Cell("CAF\xC9")}}));
}

TEST_F(PhraseIndexTest, LockedLibraryConnectsAtOnceAndGetsTheIndexLater) {
    disconnect();
    {
        Sqlite db = open_raw(library_path());
        ASSERT_EQ(sqlite3_exec(db.get(), "DROP INDEX brevicor_phrase_category", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        // Another program is writing: the upgrade is not waited for.
        ASSERT_EQ(sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        ASSERT_EQ(connect(), SQL_SUCCESS);
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "0");
        ASSERT_EQ(sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND "
                     "name = 'brevicor_phrase_category'"),
              "0");
    disconnect();
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND "
                     "name = 'brevicor_phrase_category'"),
              "1");
}

// The shell's NOCASE folds ASCII only: with a category such as "CAFÉ" it would read the index
// in a different order than the one it was written in, so the index goes while such a name
// is there, and comes back once it is gone.
TEST_F(PhraseIndexTest, AnAccentedCapitalInACategoryTakesTheIndexAwayUntilItGoes) {
    add_phrases();
    ASSERT_EQ(index_count(), 4);
    const struct {
        const char* write;
        const char* undo;
    } cases[] = {
        {"INSERT INTO phrase (category, code, content) VALUES ('CAF\xC9', 'new', 't')",
         "DELETE FROM phrase WHERE code = 'new'"},
        {"UPDATE phrase SET category = '\x8APICE' WHERE code = 'one'",
         "UPDATE phrase SET category = '\x9Apice' WHERE code = 'one'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.write);
        ASSERT_EQ(run(c.write), SQL_SUCCESS);
        EXPECT_EQ(index_count(), 0);
        disconnect();
        // The shell now finds the name by its own rule, and the file checks out.
        const Shell found =
            run_shell(library_path(),
                      "SELECT count(*) FROM phrase WHERE category IN ('CAF\xC9', '\x8APICE')");
        EXPECT_EQ(found.output, "1\n");
        EXPECT_EQ(run_shell(library_path(), "PRAGMA integrity_check").output, "ok\n");
        ASSERT_EQ(connect(), SQL_SUCCESS);
        EXPECT_EQ(index_count(), 0) << "not made again while the name is there";
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE category = 'caf\xE9'"),
                  c.undo[0] == 'D' ? "6" : "5");
        ASSERT_EQ(run(c.undo), SQL_SUCCESS);
        disconnect();
        ASSERT_EQ(connect(), SQL_SUCCESS);
        EXPECT_EQ(index_count(), 4) << "made again on the next connection";
    }
}

TEST_F(PhraseIndexTest, TheShellReadsTheLibraryButCannotReorderIt) {
    add_phrases();
    disconnect();
    // Reading: every row, a filter on an ASCII name, and the file's own check.
    const struct {
        const char* sql;
        const char* output;
    } reads[] = {
        {"SELECT count(*) FROM phrase", "12\n"},
        {"SELECT code FROM phrase WHERE category = 'caf' ORDER BY code, PhraseID", "beta\nBETA\n"},
        {"SELECT count(*) FROM phrase WHERE category = 'C\x9CUR'", "2\n"},
        {"PRAGMA integrity_check", "ok\n"},
        {"SELECT count(*) FROM phrase WHERE category = 'ZZ'", "1\n"},
        {"SELECT hex(category) FROM phrase WHERE code = 'one'", "9A70696365\n"},
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(read.sql);
        const Shell shell = run_shell(library_path(), read.sql);
        EXPECT_EQ(shell.status, 0) << shell.output;
        EXPECT_EQ(shell.output, read.output);
    }
    const Shell dump = run_shell(library_path(), ".dump phrase");
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.output.find("INSERT INTO phrase VALUES(12,'zz','a','text');"), std::string::npos)
        << dump.output;

    // Writing what the index orders is refused, saying why; the text alone may change.
    const std::string before = read_bytes(library_path());
    for (const char* write : {"INSERT INTO phrase (category, code) VALUES ('x', 'y')",
                              "UPDATE phrase SET category = 'x'", "DELETE FROM phrase"}) {
        SCOPED_TRACE(write);
        const Shell shell = run_shell(library_path(), write);
        EXPECT_NE(shell.status, 0);
        EXPECT_NE(shell.output.find("only_the_brevicor_driver_writes_category"), std::string::npos)
            << shell.output;
    }
    EXPECT_EQ(read_bytes(library_path()), before);
    const Shell text =
        run_shell(library_path(), "UPDATE phrase SET content = 'new' WHERE code = 'a'");
    EXPECT_EQ(text.status, 0) << text.output;

    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE category = 'ZZ' AND code = 'A'"), "new");
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
}

} // namespace
} // namespace brevicor::test
