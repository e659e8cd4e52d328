// The phrase history through the real driver manager and engine: every delete and overwrite
// leaves its rows as they were, in the same transaction as the change; a failing step leaves
// nothing half-written; old entries are pruned by count and age together.
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

#include <sys/stat.h>

#include <ctime>
#include <functional>
#include <memory>

namespace brevicor::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using brevicor::test::literal;

// A text no column buffer of the program holds whole: the history must still keep all of it.
const std::string kHostile =
    "x'); DELETE FROM phrase; --\r\n\"quoted\"\t" + EveryByte() + std::string(12000, 'L') + "end";

class PhraseHistoryTest : public LibraryTest {
protected:
    Rows History() {
        return Query("SELECT PhraseID, category, code, content, what_happened, change_no "
                     "FROM phrase_history ORDER BY HistoryID");
    }
    Rows Phrases() {
        return Query("SELECT PhraseID, category, code, content FROM phrase ORDER BY PhraseID");
    }
    int HistoryCount() {
        Rows rows = Query("SELECT COUNT(*) FROM phrase_history");
        return rows.empty() ? -1 : std::stoi(rows[0][0]);
    }
    void MakeHistoryTable() {
        ResetStore();
        ASSERT_TRUE(EnsureHistoryTable().stored);
        ResetStore();
    }
};

struct RecordedCase {
    const char* name;
    std::function<WriteResult()> write;
    std::string what;
    Rows recorded;     // PhraseID, category, code, content as they were
    Rows phrasesAfter; // the phrase table after the change
};

TEST_F(PhraseHistoryTest, EachDeleteAndOverwriteRecordsTheRowsAsTheyWere) {
    SKIP_FOR_TEAM_LIBRARY("it starts from a file without the history table");
    const std::vector<RecordedCase> cases = {
        {"delete phrase",
         [] { return DeletePhrase("Work", "hello").write; },
         "phrase deleted",
         {{"2", "Work", "hello", kHostile}},
         {{"1", "Greetings", "hello", "Hi"}, {"3", "Work", "bye", "Later"}, {"4", "Zed", "", ""}}},
        {"delete category",
         [] { return DeleteCategory("Work"); },
         "category deleted",
         {{"2", "Work", "hello", kHostile}, {"3", "Work", "bye", "Later"}},
         {{"1", "Greetings", "hello", "Hi"}, {"4", "Zed", "", ""}}},
        {"delete a placeholder-only category",
         [] { return DeleteCategory("zed"); },
         "category deleted",
         {{"4", "Zed", "", ""}},
         {{"1", "Greetings", "hello", "Hi"},
          {"2", "Work", "hello", kHostile},
          {"3", "Work", "bye", "Later"}}},
        {"save in a category",
         [] { return UpdatePhraseContentInCategory("Work", "hello", "new"); },
         "text changed",
         {{"2", "Work", "hello", kHostile}},
         {{"1", "Greetings", "hello", "Hi"},
          {"2", "Work", "hello", "new"},
          {"3", "Work", "bye", "Later"},
          {"4", "Zed", "", ""}}},
        {"save every row of a shortcut",
         [] {
             FakeComboBox codes;
             codes.AppendItem("hello");
             codes.SetCurSel(0);
             return UpdatePhraseContent(codes, "both");
         },
         "text changed",
         {{"1", "Greetings", "hello", "Hi"}, {"2", "Work", "hello", kHostile}},
         {{"1", "Greetings", "hello", "both"},
          {"2", "Work", "hello", "both"},
          {"3", "Work", "bye", "Later"},
          {"4", "Zed", "", ""}}},
    };
    for (const RecordedCase& c : cases) {
        SCOPED_TRACE(c.name);
        Exec("DELETE FROM phrase");
        Exec("DELETE FROM sqlite_sequence");
        InsertRow("Greetings", "hello", "Hi");
        InsertRow("Work", "hello", kHostile);
        InsertRow("Work", "bye", "Later");
        InsertRow("Zed", "", "");
        Exec("DROP TABLE IF EXISTS phrase_history");
        ResetStore(); // a library without history, as an earlier build left it

        std::time_t before = std::time(nullptr);
        WriteResult result = c.write();
        std::time_t after = std::time(nullptr);
        ASSERT_TRUE(result.stored) << result.message;

        EXPECT_EQ(Phrases(), c.phrasesAfter);
        Rows history = History();
        ASSERT_EQ(history.size(), c.recorded.size());
        for (size_t i = 0; i < history.size(); ++i) {
            Rows::value_type row(history[i].begin(), history[i].begin() + 4);
            EXPECT_EQ(row, c.recorded[i]) << "row " << i;
            EXPECT_EQ(history[i][4], c.what);
            EXPECT_EQ(history[i][5], "1") << "one change, one number";
        }
        Rows when = Query("SELECT DISTINCT happened_at FROM phrase_history");
        ASSERT_EQ(when.size(), 1u);
        EXPECT_GE(when[0][0], LocalTimestamp(before));
        EXPECT_LE(when[0][0], LocalTimestamp(after));
    }
}

TEST_F(PhraseHistoryTest, ChangesGetRisingNumbersAndAnExistingTableIsKept) {
    SKIP_FOR_TEAM_LIBRARY("the team schema always holds the history table");
    InsertRow("A", "one", "1");
    InsertRow("A", "two", "2");
    InsertRow("B", "three", "3");
    Exec(HistoryTableDefinition());
    Exec("INSERT INTO phrase_history (change_no, PhraseID, category, code, content, "
         "happened_at, what_happened) VALUES (7, 99, 'Old', 'kept', 'from before', "
         "'2026-01-01 10:00:00', 'phrase deleted')");
    ResetStore();
    ASSERT_TRUE(DeletePhrase("A", "one").write.stored);
    ASSERT_TRUE(UpdatePhraseContentInCategory("A", "two", "2b").stored);
    ASSERT_TRUE(DeleteCategory("B").stored);
    Rows history = Query("SELECT change_no, code FROM phrase_history ORDER BY HistoryID");
    EXPECT_EQ(history, (Rows{{"7", "kept"}, {"8", "one"}, {"9", "two"}, {"10", "three"}}));
}

// A step of the transaction that the library refuses: a trigger stands for any failure the
// engine can report part-way (a full disk, a constraint, a lost lock).
struct FailingStep {
    const char* name;
    std::string trigger;
    std::vector<std::function<WriteResult()>> writes; // each one meets the refusal
};

TEST_F(PhraseHistoryTest, AFailingStepRollsBackTheChangeAndItsRecord) {
    SKIP_FOR_TEAM_LIBRARY("the failing step is made with the engine's trigger syntax");
    auto deletePhrase = [] { return DeletePhrase("Work", "hello").write; };
    auto deleteCategory = [] { return DeleteCategory("Work"); };
    auto save = [] { return UpdatePhraseContentInCategory("Work", "bye", "x"); };
    const FailingStep steps[] = {
        {"the history row",
         "CREATE TRIGGER refuse BEFORE INSERT ON phrase_history BEGIN "
         "SELECT RAISE(ABORT, 'history refused'); END",
         {deletePhrase, deleteCategory, save}},
        {"the delete after its record",
         "CREATE TRIGGER refuse BEFORE DELETE ON phrase BEGIN "
         "SELECT RAISE(ABORT, 'delete refused'); END",
         {deletePhrase, deleteCategory}},
        {"the overwrite after its record",
         "CREATE TRIGGER refuse BEFORE UPDATE ON phrase BEGIN "
         "SELECT RAISE(ABORT, 'update refused'); END",
         {save}},
    };
    InsertRow("Work", "hello", kHostile);
    InsertRow("Work", "bye", "Later");
    MakeHistoryTable();
    const Rows phrases = Phrases();
    for (const FailingStep& step : steps) {
        SCOPED_TRACE(step.name);
        Exec(step.trigger);
        ResetStore();
        for (const auto& write : step.writes) {
            WriteResult result = write();
            EXPECT_FALSE(result.stored);
            EXPECT_NE(result.message.find("refused"), std::string::npos) << result.message;
        }
        Exec("DROP TRIGGER refuse");
        // Another program sees the library exactly as it was.
        EXPECT_EQ(Phrases(), phrases);
        EXPECT_EQ(HistoryCount(), 0);
    }
}

TEST_F(PhraseHistoryTest, AfterARollbackTheNextWritesAreDurableOnTheirOwn) {
    SKIP_FOR_TEAM_LIBRARY("the failing step is made with the engine's trigger syntax");
    InsertRow("Work", "hello", "Hi");
    MakeHistoryTable();
    Exec("CREATE TRIGGER refuse BEFORE DELETE ON phrase BEGIN "
         "SELECT RAISE(ABORT, 'delete refused'); END");
    WriteResult refused = DeletePhrase("Work", "hello").write;
    EXPECT_FALSE(refused.stored);
    EXPECT_NE(refused.message.find("delete refused"), std::string::npos) << refused.message;
    Exec("DROP TRIGGER refuse");
    // Autocommit is back: a plain write is on disk at once, seen by another connection while
    // the store's connection stays open.
    ASSERT_TRUE(AddCategory("Fresh").stored);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase WHERE category = 'Fresh'"), (Rows{{"1"}}));
    ASSERT_TRUE(DeletePhrase("Work", "hello").write.stored);
    EXPECT_EQ(Query("SELECT code FROM phrase_history"), (Rows{{"hello"}}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase WHERE code = 'hello'"), (Rows{{"0"}}));
}

TEST_F(PhraseHistoryTest, ALockedLibraryRefusesTheWriteAndKeepsEverything) {
    SKIP_FOR_TEAM_LIBRARY("it locks the library file");
    InsertRow("Work", "hello", "Hi");
    MakeHistoryTable();
    ASSERT_TRUE(EnsureHistoryTable().stored); // known to the store before the lock
    ASSERT_TRUE(SQL_SUCCEEDED(connect()));
    ASSERT_TRUE(SQL_SUCCEEDED(run_direct("BEGIN EXCLUSIVE")));
    WriteResult refused = DeletePhrase("Work", "hello").write;
    run_direct("ROLLBACK");
    disconnect();
    EXPECT_FALSE(refused.stored);
    EXPECT_NE(refused.message.find("in use by another program"), std::string::npos)
        << refused.message;
    EXPECT_EQ(Phrases(), (Rows{{"1", "Work", "hello", "Hi"}}));
    EXPECT_EQ(HistoryCount(), 0);
}

TEST_F(PhraseHistoryTest, AReadOnlyLibraryRefusesEveryWriteWithItsReason) {
    SKIP_FOR_TEAM_LIBRARY("it makes the library file read-only");
    for (bool tableExists : {false, true}) {
        SCOPED_TRACE(tableExists ? "with a history table" : "without one");
        Exec("DELETE FROM phrase");
        Exec("DROP TABLE IF EXISTS phrase_history");
        InsertRow("Work", "hello", "Hi");
        if (tableExists) {
            MakeHistoryTable();
        }
        ResetStore();
        ASSERT_EQ(chmod(library_path().c_str(), 0444), 0);
        WriteResult results[] = {DeletePhrase("Work", "hello").write, DeleteCategory("Work"),
                                 UpdatePhraseContentInCategory("Work", "hello", "x")};
        ResetStore();
        ASSERT_EQ(chmod(library_path().c_str(), 0644), 0);
        for (const WriteResult& r : results) {
            EXPECT_FALSE(r.stored);
            EXPECT_NE(r.message.find("read-only"), std::string::npos) << r.message;
        }
        EXPECT_EQ(Query("SELECT code, content FROM phrase"), (Rows{{"hello", "Hi"}}));
    }
}

// Seeds `count` entries of one-row changes, `daysAgo` days old, numbered after what is there.
void SeedSql(std::vector<std::string>& out, int count, int daysAgo, int rowsPerChange = 1) {
    std::time_t when = std::time(nullptr) - static_cast<std::time_t>(daysAgo) * 86400;
    out.push_back("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < " +
                  std::to_string(count) +
                  ") INSERT INTO phrase_history (change_no, PhraseID, category, code, content, "
                  "happened_at, what_happened) SELECT (SELECT IFNULL(MAX(change_no), 0) FROM "
                  "phrase_history) + 1 + i / " +
                  std::to_string(rowsPerChange) + ", 0, 'Seed', 'seed', 'seeded', " +
                  literal(LocalTimestamp(when)) + ", 'phrase deleted' FROM n");
}

struct PruneCase {
    const char* name;
    std::function<void(std::vector<std::string>&)> seed;
    int left; // entries after one more delete
};

TEST_F(PhraseHistoryTest, PruningKeepsTheLastThousandAndTheLastNinetyDays) {
    SKIP_FOR_TEAM_LIBRARY("it fills the history with the engine's own SQL");
    const PruneCase cases[] = {
        {"under the count, all old", [](auto& s) { SeedSql(s, 998, 400); }, 999},
        {"just at the count", [](auto& s) { SeedSql(s, 999, 400); }, 1000},
        {"over the count, all old", [](auto& s) { SeedSql(s, 1500, 200); }, 1000},
        {"over the count, all recent", [](auto& s) { SeedSql(s, 1500, 10); }, 1501},
        {"old ones beyond the recent",
         [](auto& s) {
             SeedSql(s, 400, 300);
             SeedSql(s, 1200, 89);
         },
         1201},
        {"old ones within the count",
         [](auto& s) {
             SeedSql(s, 600, 95);
             SeedSql(s, 300, 1);
             SeedSql(s, 300, 0);
         },
         1000},
        {"a deleted category is kept whole",
         [](auto& s) {
             SeedSql(s, 1000, 200);
             SeedSql(s, 5, 200, 5); // the 1000th newest entry falls inside it
             SeedSql(s, 996, 200);
         },
         1002},
    };
    for (const PruneCase& c : cases) {
        SCOPED_TRACE(c.name);
        Exec("DELETE FROM phrase");
        Exec("DROP TABLE IF EXISTS phrase_history");
        Exec(HistoryTableDefinition());
        std::vector<std::string> seed;
        c.seed(seed);
        for (const std::string& sql : seed) {
            Exec(sql);
        }
        InsertRow("Work", "hello", "newest");
        ResetStore();
        ASSERT_TRUE(DeletePhrase("Work", "hello").write.stored);
        EXPECT_EQ(HistoryCount(), c.left);
        EXPECT_EQ(Query("SELECT content FROM phrase_history ORDER BY HistoryID DESC LIMIT 1"),
                  (Rows{{"newest"}}))
            << "the new entry is always kept";
        // What goes is always the oldest: no kept entry is older than one that went.
        Rows gaps = Query("SELECT COUNT(*) FROM phrase_history WHERE HistoryID < "
                          "(SELECT MAX(HistoryID) FROM phrase_history) - " +
                          std::to_string(c.left - 1));
        EXPECT_EQ(gaps, (Rows{{"0"}}));
    }
}

TEST_F(PhraseHistoryTest, HistoryReadsNewestFirstWithEveryColumn) {
    InsertRow("Work", "hello", "Hi");
    InsertRow("Work", "bye", "Later");
    ASSERT_TRUE(DeletePhrase("Work", "bye").write.stored);
    ASSERT_TRUE(UpdatePhraseContentInCategory("Work", "hello", "Hello").stored);
    std::vector<HistoryEntry> entries = LoadHistory();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].code, "hello");
    EXPECT_EQ(entries[0].content, "Hi");
    EXPECT_EQ(entries[0].whatHappened, "text changed");
    EXPECT_EQ(entries[0].phraseId, 1);
    EXPECT_EQ(entries[1].code, "bye");
    EXPECT_EQ(entries[1].whatHappened, "phrase deleted");
    EXPECT_EQ(entries[1].phraseId, 2);
    EXPECT_GT(entries[0].historyId, entries[1].historyId);
    EXPECT_GT(entries[0].changeNo, entries[1].changeNo);
    EXPECT_EQ(entries[0].happenedAt.size(), 19u) << entries[0].happenedAt;
}

} // namespace
} // namespace brevicor::testing
