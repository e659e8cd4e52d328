// The Windows build of the phrase store under Wine: odbc32 hands its calls to the host's
// driver manager and engine, with the program's own relative connection string.
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "store/trace.h"
#include "tests/wine/support/chosen_category.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace brevicor {
namespace {

std::string g_trace;
void CollectTrace(const char* text) {
    g_trace += text;
}

class WineStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        g_trace.clear();
        SetTraceObserver(&CollectTrace);
    }
    void TearDown() override {
        SetTraceObserver(nullptr);
        ResetStore();
    }
};

TEST_F(WineStoreTest, ReachesTheEngineThroughOdbc32) {
    ASSERT_TRUE(AddCategory("Caf\xE9").stored) << LastDriverMessage();
    EXPECT_EQ(g_trace, "SQL_SUCCESS\nSQL_SUCCESS\n") << "the insert's line, then the cache's";

    std::string content = "Price: 5 \x80\r\nit's \x01\xFF";
    WriteResult add = AddPhrase(testing::ChosenCategory("Caf\xE9"), "menu", content);
    ASSERT_TRUE(add.stored) << add.message;
    EXPECT_EQ(GetContentByCategoryAndCode("CAF\xC9", "MENU"),
              "Price: 5 \x80\r\nit\xAC\x60s \x01\xFF")
        << "bytes unchanged, apostrophe stored as the marker, names compared without case";
    EXPECT_EQ(CountPhrasesInCategory("caf\xE9"), 2);
    EXPECT_EQ(NextShortcutName(), "Shortcut 3");
}

TEST_F(WineStoreTest, RefusalsAndNoMatchesAreToldApart) {
    WriteResult refused = AddCategory(std::string(256, 'x'));
    EXPECT_FALSE(refused.stored);
    EXPECT_FALSE(refused.message.empty());
    EXPECT_EQ(g_trace, refused.message) << "only the driver's message, no name line";

    g_trace.clear();
    DeleteResult none = DeletePhrase("nobody", "nothing");
    EXPECT_TRUE(none.write.stored);
    EXPECT_NE(g_trace.find("SQL_NO_DATA\n"), std::string::npos) << g_trace;
}

TEST_F(WineStoreTest, MissingLibraryIsNeverCreated) {
    ASSERT_TRUE(DeleteFileA("database\\phrases.mdb"));
    EXPECT_EQ(CountPhrases(), 0);
    WriteResult write = AddCategory("Work");
    EXPECT_FALSE(write.stored);
    EXPECT_FALSE(write.message.empty());
    EXPECT_EQ(GetFileAttributesA("database\\phrases.mdb"), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace brevicor
