// The connection's life and the trace lines every executed statement leaves.
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/native/support/library_fixture.h"

#include <filesystem>

namespace brevicor::testing {
namespace {

using SessionTest = LibraryTest;

TEST_F(SessionTest, EachExecutedStatementTracesItsReturnCode) {
    InsertRow("Greetings", "hello", "Hello there");

    EXPECT_TRUE(AddCategory("Farewells").stored);
    EXPECT_EQ(TakeTrace(), "SQL_SUCCESS\nSQL_SUCCESS\n") << "the insert's line, then the cache's";

    // A searched delete that matches nothing: the message (possibly an earlier one), then
    // the name line; it still counts as a statement that ran.
    DeleteResult none = DeletePhrase("Greetings", "no such code");
    EXPECT_TRUE(none.write.stored);
    std::string trace = TakeTrace();
    ASSERT_GE(trace.size(), 12u);
    EXPECT_EQ(trace.substr(trace.find("SQL_NO_DATA\n")),
              "SQL_NO_DATA\nSQL_SUCCESS\nSQL_SUCCESS\nSQL_SUCCESS\n")
        << "the delete's lines, then the history's pruning check, the cache reload's and the "
           "count's";

    EXPECT_EQ(GetContentByCode("hello"), "Hello there");
    EXPECT_EQ(TakeTrace(), "SQL_SUCCESS\n");
}

TEST_F(SessionTest, RejectedStatementTracesOnlyTheDriversMessage) {
    std::string tooLong(256, 'x');
    WriteResult result = AddCategory(tooLong);
    EXPECT_FALSE(result.stored);
    EXPECT_FALSE(result.message.empty());
    std::string trace = TakeTrace();
    EXPECT_EQ(trace, LastDriverMessage());
    EXPECT_EQ(trace.find("SQL_"), std::string::npos) << trace;
    EXPECT_TRUE(Query("SELECT * FROM phrase").empty()) << "nothing stored";
}

TEST_F(SessionTest, MissingLibraryYieldsNothingAndIsNotRetried) {
    SKIP_FOR_TEAM_LIBRARY("it removes the library file");
    std::filesystem::path kept = work_ / "kept.mdb";
    std::filesystem::copy_file(library_path(), kept);
    RemoveLibrary();

    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(NextShortcutName(), "");
    EXPECT_EQ(GetContentByCode("anything"), "");
    WriteResult write = AddCategory("Work");
    EXPECT_FALSE(write.stored);
    EXPECT_NE(write.message.find("phrases.mdb"), std::string::npos)
        << "the reason names the missing file: " << write.message;
    EXPECT_FALSE(std::filesystem::exists(library_path())) << "the engine never creates a library";
    EXPECT_EQ(TakeTrace(), "") << "no statement ran, so no return code was traced";

    // The library comes back, but the run's one connection attempt is spent.
    std::filesystem::copy_file(kept, library_path());
    EXPECT_FALSE(AddCategory("Work").stored);
    EXPECT_EQ(CountPhrasesInCategory("Work"), 0);

    ResetStore();
    EXPECT_TRUE(AddCategory("Work").stored) << "a reset store connects afresh";
    EXPECT_EQ(CountPhrasesInCategory("Work"), 1);
}

TEST_F(SessionTest, ALibraryFileIsNotOnAServer) {
    SKIP_FOR_TEAM_LIBRARY("it is about the library file");
    EXPECT_FALSE(LibraryIsOnServer());
    EXPECT_EQ(LibraryServerName(), "");
    EXPECT_EQ(TakeTrace(), "") << "asked of the driver manager, not the library";
}

TEST_F(SessionTest, ValueLongerThanTheColumnBufferReadsCutAndStillCounts) {
    std::string content(9300, 'a');
    content[9214] = 'Z';
    content[9215] = 'Y';
    InsertRow("Long", "big", content);

    std::string read = GetContentByCode("big");
    EXPECT_EQ(read.size(), 9215u);
    EXPECT_EQ(read.back(), 'Z');
    EXPECT_EQ(GetContentByCategoryAndCode("Long", "big").size(), 9215u);
}

TEST_F(SessionTest, AnOperationNeverSeesTheRowsOfThePreviousOne) {
    InsertRow("Greetings", "hello", "Hello there");
    EXPECT_EQ(GetContentByCode("hello"), "Hello there");
    EXPECT_EQ(GetContentByCode("absent"), "");
    EXPECT_EQ(GetContentByPhraseId(99999), "");
}

} // namespace
} // namespace brevicor::testing
