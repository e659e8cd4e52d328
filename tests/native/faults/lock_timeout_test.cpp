// A library held locked by another program for longer than the timeout: the store and the
// library tool each wait at most their timeout, then say the library is in use; nothing hangs,
// nothing is written, and work goes on once the lock is gone.
#include "engine/library.hpp"
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"
#include "tests/native/faults/fault_support.h"
#include "tests/native/library_tool/tool_runner.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

#include <chrono>

namespace brevicor::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kTimeout{brevicor::engine::kBusyTimeoutMs};
// Room for a slow machine on top of the waits themselves; far below a hang.
constexpr milliseconds kSlack{3000};

bool InUse(const std::string& text) {
    return text.find("in use by another program") != std::string::npos;
}

template <class Work> milliseconds Timed(Work work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

class LockTimeoutTest : public LibraryTest {
protected:
    // Another program's connection takes the library whole and keeps it.
    void HoldLock() {
        ASSERT_TRUE(SQL_SUCCEEDED(connect()));
        ASSERT_TRUE(SQL_SUCCEEDED(run_direct("BEGIN EXCLUSIVE")));
    }
    void ReleaseLock() {
        run_direct("ROLLBACK");
        disconnect();
    }
};

TEST_F(LockTimeoutTest, TheStoreWaitsItsTimeoutThenSaysTheLibraryIsInUse) {
    faults::Watchdog watchdog(std::chrono::seconds(60), "the store under a lock");
    InsertRow("Work", "hello", "Hi");
    ASSERT_TRUE(EnsureHistoryTable().stored);
    ResetStore(); // the program starts while the library is held
    HoldLock();

    bool read = true;
    // The connection, then two runs of the category query: each may wait its timeout once.
    EXPECT_LT(Timed([&] { read = LoadCategoryList(); }), 3 * kTimeout + kSlack);
    EXPECT_FALSE(read);
    EXPECT_TRUE(InUse(LastDriverMessage())) << LastDriverMessage();
    EXPECT_EQ(LastDriverState(), "HYT00");

    FakeComboBox category;
    category.AppendItem("Work");
    category.SetCurSel(0);
    WriteResult added;
    EXPECT_LT(Timed([&] { added = AddPhrase(category, "new", "text"); }), kTimeout + kSlack);
    EXPECT_FALSE(added.stored);
    EXPECT_TRUE(InUse(added.message)) << added.message;
    DeleteResult deleted;
    EXPECT_LT(Timed([&] { deleted = DeletePhrase("Work", "hello"); }), 2 * kTimeout + kSlack);
    EXPECT_FALSE(deleted.write.stored);
    EXPECT_TRUE(InUse(deleted.write.message)) << deleted.write.message;
    ReleaseLock();

    // The same connection reads and writes again, and the refused writes left nothing.
    EXPECT_TRUE(LoadCategoryList());
    EXPECT_EQ(CategoryList(), std::vector<std::string>{"Work"});
    EXPECT_EQ(Query("SELECT code FROM phrase"), (std::vector<std::vector<std::string>>{{"hello"}}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase_history"),
              (std::vector<std::vector<std::string>>{{"0"}}));
    EXPECT_TRUE(AddPhrase(category, "new", "text").stored);
}

TEST_F(LockTimeoutTest, TheLibraryToolWaitsItsTimeoutThenSaysTheLibraryIsInUse) {
    faults::Watchdog watchdog(std::chrono::seconds(60), "the library tool under a lock");
    InsertRow("Work", "hello", "Hi");
    brevicor::test::WriteBytes("more.csv", "category,code,content\r\nWork,more,More text\r\n");
    const std::string before = faults::ReadBytes(library_path());
    HoldLock();
    const struct {
        const char* name;
        std::vector<std::string> arguments;
    } commands[] = {
        {"import", {"import", "more.csv"}},
        {"export", {"export"}},
        {"check", {"check"}},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.name);
        brevicor::test::ToolRun run;
        // Its connection, then its first statement.
        EXPECT_LT(Timed([&] { run = brevicor::test::RunTool(command.arguments); }),
                  2 * kTimeout + kSlack);
        EXPECT_EQ(run.status, 3) << run.out << run.err;
        EXPECT_TRUE(InUse(run.err)) << run.err;
    }
    ReleaseLock();
    EXPECT_TRUE(faults::ReadBytes(library_path()) == before) << "the refused import wrote nothing";
    const brevicor::test::ToolRun imported = brevicor::test::RunTool({"import", "more.csv"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Query("SELECT code FROM phrase ORDER BY PhraseID"),
              (std::vector<std::vector<std::string>>{{"hello"}, {"more"}}));
}

} // namespace
} // namespace brevicor::testing
