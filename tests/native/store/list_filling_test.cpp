// The code lists and the editor's content box, filled from a real library.
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

namespace brevicor::testing {
namespace {

using Codes = std::vector<std::string>;

class ListFillingTest : public LibraryTest {
protected:
    // A category with its placeholder row first, then phrases out of alphabetical order, and
    // a phrase of another category between them.
    void AddMixedCategory() {
        ASSERT_TRUE(AddCategory("Mail").stored);
        InsertRow("Mail", "zulu", "text z");
        InsertRow("Other", "alpha", "other text");
        InsertRow("Mail", "Bravo", "text B");
        InsertRow("Mail", "alpha", "text a");
    }
};

TEST_F(ListFillingTest, CodeComboListsNonEmptyCodesInRowOrder) {
    AddMixedCategory();
    FakeComboBox combo;
    combo.AppendItem("stale");
    FillCodeCombo(combo, "mail"); // categories compare without case, as in the library
    EXPECT_EQ(combo.items, (Codes{"zulu", "Bravo", "alpha"}));
    EXPECT_EQ(combo.GetCurSel(), 0);
}

TEST_F(ListFillingTest, EditorListsEveryCodeAndLeavesTheLastRowsContent) {
    AddMixedCategory();
    FakeComboBox combo;
    FakeTextBox content;
    FillCodeComboAndContent(combo, content, "Mail");
    EXPECT_EQ(combo.items, (Codes{"", "zulu", "Bravo", "alpha"}))
        << "the placeholder row shows as an empty entry";
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(content.text, "text a");
    EXPECT_EQ(content.setCount, 4) << "each row's content goes into the box in turn";
}

TEST_F(ListFillingTest, PlaceholderOnlyCategory) {
    ASSERT_TRUE(AddCategory("Empty").stored);
    FakeComboBox codes;
    FillCodeCombo(codes, "Empty");
    EXPECT_TRUE(codes.items.empty());
    EXPECT_EQ(codes.GetCurSel(), -1);

    FakeComboBox editorCodes;
    FakeTextBox content;
    content.SetText("previous");
    FillCodeComboAndContent(editorCodes, content, "Empty");
    EXPECT_EQ(editorCodes.items, Codes{""});
    EXPECT_EQ(editorCodes.GetCurSel(), 0);
    EXPECT_EQ(content.text, "");
}

TEST_F(ListFillingTest, UnknownCategoryEmptiesTheBoxesAndKeepsTheText) {
    InsertRow("Known", "k", "known text");
    FakeComboBox combo;
    combo.AppendItem("stale");
    FakeTextBox content;
    content.SetText("previous");
    FillCodeComboAndContent(combo, content, "Unknown");
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(content.text, "previous");
    FillCodeCombo(combo, "Unknown");
    EXPECT_TRUE(combo.items.empty());
}

TEST_F(ListFillingTest, NamesWithQuotesAndLongValues) {
    std::string longContent = std::string(9213, 'c') + "\xAC\x60"; // 9215 bytes
    std::string tooLong(9216, 'd');
    std::string code255(255, 'k');
    InsertRow("O'Brien's", code255, longContent);
    InsertRow("O'Brien's", "second", tooLong);
    FakeComboBox combo;
    FakeTextBox content;
    FillCodeComboAndContent(combo, content, "O'Brien's");
    EXPECT_EQ(combo.items, (Codes{code255, "second"}));
    EXPECT_EQ(content.text, tooLong.substr(0, 9215)) << "cut to the 9216-byte buffer";

    InsertRow("Single", "only", longContent);
    FillCodeComboAndContent(combo, content, "Single");
    EXPECT_EQ(content.text, longContent) << "9215 bytes arrive whole, stored bytes unchanged";

    FillCodeCombo(combo, "O'Brien's");
    EXPECT_EQ(combo.items, (Codes{code255, "second"}));
}

TEST_F(ListFillingTest, WithoutALibraryTheBoxesEndEmpty) {
    SKIP_FOR_TEAM_LIBRARY("it removes the library file");
    InsertRow("Mail", "code", "text");
    RemoveLibrary();
    ResetStore();
    FakeComboBox combo;
    combo.AppendItem("stale");
    combo.SetCurSel(0);
    FakeTextBox content;
    content.SetText("previous");
    FillCodeComboAndContent(combo, content, "Mail");
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(content.text, "previous");

    combo.AppendItem("stale");
    FillCodeCombo(combo, "Mail");
    EXPECT_TRUE(combo.items.empty());
}

} // namespace
} // namespace brevicor::testing
