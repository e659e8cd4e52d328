// Restoring from the phrase history through the real driver manager and engine.
#include "store/odbc_session.h"
#include "store/phrase_restore.h"
#include "tests/native/support/library_fixture.h"

#include <functional>

namespace brevicor::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string kHostile =
    "it's \"x'); DROP TABLE phrase; --\"\r\nline two\n" + EveryByte() + std::string(10000, 'z');

class PhraseRestoreTest : public LibraryTest {
protected:
    Rows Phrases() {
        return Query("SELECT PhraseID, category, code, content FROM phrase ORDER BY PhraseID");
    }
    Rows History() {
        return Query("SELECT PhraseID, code, content, what_happened FROM phrase_history "
                     "ORDER BY HistoryID");
    }
    // The history line that records this shortcut, newest first.
    int LineFor(const std::string& code) {
        for (const HistoryEntry& e : LoadHistory()) {
            if (e.code == code) {
                return e.historyId;
            }
        }
        ADD_FAILURE() << "no history line for " << code;
        return 0;
    }
    static ConflictChoice NeverAsked(const HistoryEntry& e) {
        ADD_FAILURE() << "asked about " << e.code;
        return ConflictChoice::Skip;
    }
};

TEST_F(PhraseRestoreTest, ADeletedPhraseComesBackWithItsIdAndEveryByte) {
    InsertRow("Work", "first", "1");
    int id = InsertRow("Work", "hostile", kHostile);
    InsertRow("Work", "last", "3");
    ASSERT_TRUE(DeletePhrase("Work", "hostile").write.stored);
    InsertRow("Work", "later", "4"); // a new phrase takes the next number, not the freed one

    RestoreResult result = RestoreFromHistory(LineFor("hostile"), NeverAsked);
    ASSERT_TRUE(result.write.stored) << result.write.message;
    EXPECT_EQ(result.restored, 1);
    EXPECT_EQ(Query("SELECT PhraseID, content FROM phrase WHERE code = 'hostile'"),
              (Rows{{std::to_string(id), kHostile}}));
    EXPECT_EQ(History(), Rows{}) << "the restored line leaves the history";
}

TEST_F(PhraseRestoreTest, AnEarlierTextGoesBackAndTheTextItReplacesIsKept) {
    int id = InsertRow("Work", "hello", kHostile);
    ASSERT_TRUE(UpdatePhraseContentInCategory("Work", "hello", "second").stored);
    ASSERT_TRUE(UpdatePhraseContentInCategory("Work", "hello", "third").stored);
    // The oldest line holds the first text.
    int first = LoadHistory().back().historyId;

    RestoreResult result = RestoreFromHistory(first, NeverAsked);
    ASSERT_TRUE(result.write.stored) << result.write.message;
    EXPECT_EQ(Phrases(), (Rows{{std::to_string(id), "Work", "hello", kHostile}}));
    EXPECT_EQ(History(), (Rows{{std::to_string(id), "hello", "second", "text changed"},
                               {std::to_string(id), "hello", "third", "text changed"}}));
}

TEST_F(PhraseRestoreTest, OneLineOfADeletedCategoryBringsBackTheWholeCategory) {
    InsertRow("Keep", "other", "stays");
    InsertRow("Gone", "", "");
    InsertRow("Gone", "a", kHostile);
    InsertRow("Gone", "b", "bee");
    const Rows before = Phrases();
    ASSERT_TRUE(DeleteCategory("Gone").stored);
    ASSERT_TRUE(DeletePhrase("Keep", "other").write.stored); // a later, separate change

    RestoreResult result = RestoreFromHistory(LineFor("b"), NeverAsked);
    ASSERT_TRUE(result.write.stored) << result.write.message;
    EXPECT_EQ(result.restored, 3);
    Rows expected(before.begin() + 1, before.end());
    EXPECT_EQ(Phrases(), expected) << "every row, placeholder included, with its PhraseID";
    EXPECT_EQ(Query("SELECT code FROM phrase_history"), (Rows{{"other"}}));
    // The lines of the category are gone: restoring one of them again restores nothing.
    EXPECT_TRUE(RestoreFromHistory(LineFor("other") + 100, NeverAsked).write.stored);
}

struct ConflictCase {
    const char* name;
    ConflictChoice choice;
    Rows phrases; // the phrase table afterwards
    Rows history; // code, content, what happened
};

TEST_F(PhraseRestoreTest, ATakenShortcutAsksAndEachAnswerDoesWhatItSays) {
    SKIP_FOR_TEAM_LIBRARY("it restarts the numbering through the engine's own table");
    const ConflictCase cases[] = {
        {"keep both",
         ConflictChoice::KeepBoth,
         {{"1", "Work", "hello (restored)", "old"}, {"2", "Work", "HELLO", "new"}},
         {}},
        {"replace",
         ConflictChoice::Replace,
         {{"1", "Work", "hello", "old"}},
         {{"HELLO", "new", "text changed"}}},
        {"skip",
         ConflictChoice::Skip,
         {{"2", "Work", "HELLO", "new"}},
         {{"hello", "old", "phrase deleted"}}},
    };
    for (const ConflictCase& c : cases) {
        SCOPED_TRACE(c.name);
        Exec("DELETE FROM phrase");
        Exec("DELETE FROM sqlite_sequence");
        Exec("DROP TABLE IF EXISTS phrase_history");
        ResetStore();
        InsertRow("Work", "hello", "old");
        ASSERT_TRUE(DeletePhrase("Work", "hello").write.stored);
        InsertRow("Work", "HELLO", "new"); // the same shortcut, as the library compares them

        int asked = 0;
        RestoreResult result = RestoreFromHistory(LineFor("hello"), [&](const HistoryEntry& e) {
            ++asked;
            EXPECT_EQ(e.code, "hello");
            EXPECT_EQ(e.category, "Work");
            return c.choice;
        });
        ASSERT_TRUE(result.write.stored) << result.write.message;
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(Phrases(), c.phrases);
        EXPECT_EQ(Query("SELECT code, content, what_happened FROM phrase_history"), c.history);
    }
}

TEST_F(PhraseRestoreTest, KeepingBothCutsTheNewShortcutTo255Bytes) {
    const std::string longest(255, 's');
    const std::string near(250, 'n');
    for (const std::string& code : {longest, near}) {
        Exec("DELETE FROM phrase");
        InsertRow("Work", code, "old");
        ASSERT_TRUE(DeletePhrase("Work", code).write.stored);
        InsertRow("Work", code, "new");
        RestoreResult result = RestoreFromHistory(
            LineFor(code), [](const HistoryEntry&) { return ConflictChoice::KeepBoth; });
        ASSERT_TRUE(result.write.stored) << result.write.message;
        std::string renamed = (code + " (restored)").substr(0, 255);
        EXPECT_EQ(Query("SELECT content FROM phrase WHERE code = '" + renamed +
                        "' AND "
                        "content = 'old'"),
                  (Rows{{"old"}}));
    }
}

TEST_F(PhraseRestoreTest, ACategoryRestoreAsksOnlyAboutTakenShortcuts) {
    InsertRow("Gone", "", "");
    InsertRow("Gone", "a", "first a");
    InsertRow("Gone", "b", "first b");
    ASSERT_TRUE(DeleteCategory("Gone").stored);
    InsertRow("Gone", "b", "second b"); // the category exists again, with b taken

    std::vector<std::string> askedAbout;
    RestoreResult result = RestoreFromHistory(LineFor("a"), [&](const HistoryEntry& e) {
        askedAbout.push_back(e.code);
        return ConflictChoice::Skip;
    });
    ASSERT_TRUE(result.write.stored) << result.write.message;
    EXPECT_EQ(askedAbout, (std::vector<std::string>{"b"}));
    EXPECT_EQ(result.skipped, 1);
    EXPECT_EQ(Query("SELECT code, content FROM phrase WHERE category = 'Gone' ORDER BY code"),
              (Rows{{"a", "first a"}, {"b", "second b"}}))
        << "no second placeholder for a category that exists";
    EXPECT_EQ(Query("SELECT code, content FROM phrase_history"), (Rows{{"b", "first b"}}))
        << "the skipped phrase stays restorable";
}

TEST_F(PhraseRestoreTest, ARefusedRestoreChangesNothingAndKeepsTheLine) {
    SKIP_FOR_TEAM_LIBRARY("the refusal is made with the engine's trigger syntax");
    InsertRow("Work", "hello", "old");
    ASSERT_TRUE(DeletePhrase("Work", "hello").write.stored);
    InsertRow("Work", "other", "x");
    const Rows phrases = Phrases();
    const Rows history = History();
    Exec("CREATE TRIGGER refuse BEFORE DELETE ON phrase_history BEGIN "
         "SELECT RAISE(ABORT, 'history refused'); END");
    RestoreResult result = RestoreFromHistory(LineFor("hello"), NeverAsked);
    EXPECT_FALSE(result.write.stored);
    EXPECT_NE(result.write.message.find("history refused"), std::string::npos);
    Exec("DROP TRIGGER refuse");
    EXPECT_EQ(Phrases(), phrases) << "the phrase inserted before the refusal is rolled back";
    EXPECT_EQ(History(), history);

    const int line = LineFor("hello");
    ASSERT_TRUE(SQL_SUCCEEDED(connect()));
    ASSERT_TRUE(SQL_SUCCEEDED(run_direct("BEGIN EXCLUSIVE")));
    result = RestoreFromHistory(line, NeverAsked);
    run_direct("ROLLBACK");
    disconnect();
    EXPECT_FALSE(result.write.stored);
    EXPECT_NE(result.write.message.find("in use by another program"), std::string::npos)
        << result.write.message;
    EXPECT_EQ(Phrases(), phrases);
    EXPECT_EQ(History(), history);
}

} // namespace
} // namespace brevicor::testing
