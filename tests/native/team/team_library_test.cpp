// The team library on its server behaves as the program expects of its library, reached
// through the program's own connection string, and survives its server going away.
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"
#include "tests/native/support/library_fixture.h"

#include <cstdlib>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace brevicor::testing {
namespace {

class TeamLibraryTest : public LibraryTest {
protected:
    void SetUp() override {
        if (!TeamLibrary()) {
            GTEST_SKIP() << "set BREVICOR_TEST_TEAM_ODBCSYSINI and BREVICOR_TEST_TEAM_URL";
        }
        LibraryTest::SetUp();
    }
    // Statement on the test's own connection; its return code.
    SQLRETURN Run(const std::string& sql) {
        EXPECT_TRUE(SQL_SUCCEEDED(connect()));
        SQLRETURN rc = run(sql);
        disconnect();
        return rc;
    }
    static bool Server(const char* command) {
        const char* server = std::getenv("BREVICOR_TEST_TEAM_SERVER");
        if (server == nullptr) {
            return false;
        }
        return std::system((std::string(server) + " " + command + " >/dev/null").c_str()) == 0;
    }
};

TEST_F(TeamLibraryTest, TheDriverEntryNamesTheServer) {
    EXPECT_TRUE(LibraryIsOnServer());
    // As in the URL the team folder was made from: host:port/database.
    std::string url = std::getenv("BREVICOR_TEST_TEAM_URL");
    std::string server = LibraryServerName();
    ASSERT_FALSE(server.empty());
    EXPECT_NE(url.find("@" + server), std::string::npos) << server << " in " << url;
}

TEST_F(TeamLibraryTest, NamesCompareAndSortBlindToCaseAccentedLettersIncluded) {
    // Windows-1252, as the program sends it: "Café", "CAFÉ".
    InsertRow("Caf\xE9", "a", "one");
    InsertRow("apple", "b", "two");
    InsertRow("Zebra", "c", "three");
    InsertRow("Banana", "d", "four");
    InsertRow("Cafe", "e", "five");
    EXPECT_EQ(CountPhrasesInCategory("CAF\xC9"), 1) << "\"CAFÉ\" finds \"Café\"";
    EXPECT_EQ(CountPhrasesInCategory("cafe"), 1) << "an unaccented e stays another letter";
    LoadCategoryList();
    EXPECT_EQ(CategoryList(),
              (std::vector<std::string>{"apple", "Banana", "Cafe", "Caf\xE9", "Zebra"}));
    InsertRow("CAF\xC9", "f", "six");
    LoadCategoryList();
    EXPECT_EQ(CategoryList().size(), 5u) << "one category, however it is written";
}

TEST_F(TeamLibraryTest, ShortcutsAndCategoriesHoldAtMost255Characters) {
    EXPECT_TRUE(AddCategory(std::string(255, 'n')).stored);
    WriteResult tooLong = AddCategory(std::string(256, 'n'));
    EXPECT_FALSE(tooLong.stored);
    EXPECT_NE(tooLong.message.find("too long"), std::string::npos) << tooLong.message;
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase")[0][0], "1") << "nothing cut and stored";
}

TEST_F(TeamLibraryTest, APhraseIdIsNeverGivenTwice) {
    InsertRow("A", "1", "x");
    InsertRow("A", "2", "x");
    int last = InsertRow("A", "3", "x");
    Exec("DELETE FROM phrase WHERE PhraseID = " + std::to_string(last));
    EXPECT_EQ(InsertRow("A", "4", "x"), last + 1);
}

TEST_F(TeamLibraryTest, ASearchedWriteThatMatchesNothingReportsNoData) {
    InsertRow("A", "1", "x");
    EXPECT_EQ(Run("UPDATE phrase SET content = 'y' WHERE code = 'none'"), SQL_NO_DATA);
    EXPECT_EQ(Run("DELETE FROM phrase WHERE code = 'none'"), SQL_NO_DATA);
    EXPECT_EQ(Run("UPDATE phrase SET content = 'y' WHERE code = '1'"), SQL_SUCCESS);
}

TEST_F(TeamLibraryTest, Windows1252TextIsKeptExactlyAndStoredAsItsCharacters) {
    const std::string text = "\x80 5, na\xEFve \x9C\x75vre, \x93quoted\x94, \xFF\xAC\x60";
    int id = InsertRow("Text", "t", text);
    EXPECT_EQ(GetContentByPhraseId(id), text);
    // On the server the euro sign is one character, U+20AC: other clients read it right.
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase WHERE content LIKE U&'\\20AC%'")[0][0], "1");
    // Windows-1252 leaves five bytes undefined: the server refuses them, and says so.
    WriteResult undefined = AddCategory("bad \x81");
    EXPECT_FALSE(undefined.stored);
    EXPECT_NE(undefined.message.find("0x81"), std::string::npos) << undefined.message;
}

// Another copy of the program: a process of its own, with its own store and connection.
int InAnotherCopy(const std::function<bool()>& work) {
    // The child must not share this copy's connection: this copy lets go of it first, and
    // connects again at its next operation.
    ResetStore();
    pid_t child = fork();
    if (child == 0) {
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TeamLibraryTest, TwoCopiesSavingOnePhraseLoseNoText) {
    InsertRow("Letters", "sign", "original");
    ASSERT_EQ(InAnotherCopy([] {
                  return UpdatePhraseContentInCategory("Letters", "sign", "first save").stored;
              }),
              0);
    // This copy read the library before the other saved; it saves later, and wins.
    EXPECT_TRUE(UpdatePhraseContentInCategory("Letters", "sign", "second save").stored);
    EXPECT_EQ(GetContentByCategoryAndCode("Letters", "sign"), "second save");
    std::vector<std::string> kept;
    for (const HistoryEntry& entry : LoadHistory()) {
        kept.push_back(entry.content);
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"first save", "original"}))
        << "every earlier text can be restored, newest first";
    // And the other copy sees the winner at its next read.
    EXPECT_EQ(InAnotherCopy(
                  [] { return GetContentByCategoryAndCode("Letters", "sign") == "second save"; }),
              0);
}

TEST_F(TeamLibraryTest, TheStoreComesBackWithTheServer) {
    if (std::getenv("BREVICOR_TEST_TEAM_SERVER") == nullptr) {
        GTEST_SKIP() << "set BREVICOR_TEST_TEAM_SERVER to the team server command";
    }
    InsertRow("Kept", "k", "kept text");
    EXPECT_EQ(CountPhrases(), 1);

    // The server goes away while the program runs: no crash, a reason for the write.
    ASSERT_TRUE(Server("stop"));
    EXPECT_EQ(CountPhrases(), 0);
    WriteResult whileDown = AddCategory("Later");
    EXPECT_FALSE(whileDown.stored);
    EXPECT_FALSE(whileDown.message.empty());
    ASSERT_TRUE(Server("start"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // past the one-second pause
    EXPECT_EQ(CountPhrases(), 1) << "the connection is made again";
    EXPECT_TRUE(AddCategory("Later").stored);

    // Down when the program starts: as with no library, then the library once it is back.
    ResetStore();
    ASSERT_TRUE(Server("stop"));
    LoadCategoryList();
    EXPECT_EQ(CountPhrases(), 0);
    ASSERT_TRUE(Server("start"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(CountPhrases(), 2);
    LoadCategoryList();
    EXPECT_EQ(CategoryList(), (std::vector<std::string>{"Kept", "Later"}));
}

} // namespace
} // namespace brevicor::testing
