// What the tray menu shows follows the library: another copy's changes are read at the next
// menu, and an unchanged library is not read again.
#include "store/category_list.h"
#include "store/content_cache.h"
#include "store/library_refresh.h"
#include "tests/native/support/library_fixture.h"

namespace brevicor::testing {
namespace {

class LibraryRefreshTest : public LibraryTest {
protected:
    // What the program does at start-up: read the list and the texts, and note it.
    void StartUp() {
        bool read = LoadCategoryList();
        LoadContentCache();
        NoteLibraryViewsRead(read);
        TakeTrace();
    }
    // The trace of a menu opening on an unchanged library: nothing for a file, which is looked
    // at from outside; one look at the change counter for a team library.
    static std::string UnchangedTrace() { return TeamLibrary() ? "SQL_SUCCESS\n" : ""; }
};

TEST_F(LibraryRefreshTest, AnUnchangedLibraryIsNotReadAgain) {
    InsertRow("Greetings", "hello", "Hello there");
    StartUp();
    for (int opening = 0; opening < 3; ++opening) {
        RefreshLibraryViews();
        EXPECT_EQ(TakeTrace(), UnchangedTrace()) << "opening " << opening;
    }
    EXPECT_EQ(CategoryList(), std::vector<std::string>{"Greetings"});
}

TEST_F(LibraryRefreshTest, ChangesFromElsewhereShowAtTheNextOpening) {
    int hello = InsertRow("Greetings", "hello", "Hello there");
    StartUp();

    // Another copy of the program, through a connection of its own: a new category, an edited
    // text (same length, so only the file's contents tell), and a deleted phrase.
    int added = InsertRow("Farewells", "bye", "Goodbye");
    Exec("UPDATE phrase SET content = 'Hello THERE' WHERE code = 'hello'");
    RefreshLibraryViews();
    EXPECT_EQ(CategoryList(), (std::vector<std::string>{"Farewells", "Greetings"}));
    EXPECT_EQ(LookupCachedContent(hello), "Hello THERE");
    EXPECT_EQ(LookupCachedContent(added), "Goodbye");

    Exec("DELETE FROM phrase WHERE code = 'bye'");
    RefreshLibraryViews();
    EXPECT_EQ(CategoryList(), std::vector<std::string>{"Greetings"});
    EXPECT_EQ(LookupCachedContent(added), "");

    TakeTrace();
    RefreshLibraryViews();
    EXPECT_EQ(TakeTrace(), UnchangedTrace()) << "read once per change";
}

} // namespace
} // namespace brevicor::testing
