// The category list and the content cache, loaded from a real library.
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

namespace brevicor::testing {
namespace {

using Names = std::vector<std::string>;

class CategoryListTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        // The list is process-wide: start every test from an empty one.
        LoadCategoryList();
        ASSERT_TRUE(CategoryList().empty());
    }
};

TEST_F(CategoryListTest, ListsDistinctNamesInTheLibrarysCaseBlindOrder) {
    InsertRow("work", "w1", "a");
    InsertRow("Apple", "a1", "b");
    InsertRow("work", "w2", "c");
    ASSERT_TRUE(AddCategory("Zebra").stored); // placeholder row only
    ASSERT_TRUE(AddCategory("O'Brien").stored);
    InsertRow("banana", "b1", "d");

    LoadCategoryList();
    const Names expected = {"Apple", "banana", "O'Brien", "work", "Zebra"};
    EXPECT_EQ(CategoryList(), expected);
    LoadCategoryList();
    EXPECT_EQ(CategoryList(), expected) << "a second load gives the same list";

    FakeComboBox combo;
    combo.AppendItem("stale");
    FillCategoryCombo(combo);
    EXPECT_EQ(combo.items, expected);
    EXPECT_EQ(combo.GetCurSel(), 0);

    ASSERT_TRUE(DeleteCategory("work").stored);
    LoadCategoryList();
    EXPECT_EQ(CategoryList(), (Names{"Apple", "banana", "O'Brien", "Zebra"}))
        << "the list follows the library on each load";
}

TEST_F(CategoryListTest, EmptyLibraryGivesEmptyListAndEmptyBox) {
    InsertRow("Gone", "g", "x");
    LoadCategoryList();
    ASSERT_EQ(CategoryList().size(), 1u);
    Exec("DELETE FROM phrase");
    LoadCategoryList();
    EXPECT_TRUE(CategoryList().empty());

    FakeComboBox combo;
    combo.AppendItem("stale");
    combo.SetCurSel(0);
    FillCategoryCombo(combo);
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(combo.GetCurSel(), -1);
}

TEST_F(CategoryListTest, WithoutALibraryTheListKeepsItsNames) {
    SKIP_FOR_TEAM_LIBRARY("it removes the library file");
    InsertRow("Kept", "k", "x");
    InsertRow("Also kept", "a", "y");
    LoadCategoryList();
    const Names loaded = CategoryList();
    ASSERT_EQ(loaded.size(), 2u);

    RemoveLibrary();
    ResetStore(); // the next operation connects afresh and finds no library
    LoadCategoryList();
    EXPECT_EQ(CategoryList(), loaded);

    FakeComboBox combo;
    FillCategoryCombo(combo);
    EXPECT_EQ(combo.items, loaded) << "the box still fills from the list in memory";
    EXPECT_EQ(LoadContentCache(), 0);
}

} // namespace
} // namespace brevicor::testing
