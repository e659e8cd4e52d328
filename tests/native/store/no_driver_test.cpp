// The store when the driver manager knows no engine under the library's driver name.
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/native/support/library_fixture.h"

namespace brevicor::testing {
namespace {

using NoDriverTest = LibraryTest;

TEST_F(NoDriverTest, EveryOperationYieldsNothingAndWritesSayWhy) {
    EXPECT_EQ(CountPhrases(), 0);
    EXPECT_EQ(GetContentForCommand(40001), "");
    EXPECT_EQ(NextShortcutName(), "");
    WriteResult write = AddCategory("Work");
    EXPECT_FALSE(write.stored);
    EXPECT_FALSE(write.message.empty());
    EXPECT_EQ(TakeTrace(), "");
}

} // namespace
} // namespace brevicor::testing
