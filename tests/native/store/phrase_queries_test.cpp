// The store's reads and writes against a real library file.
#include "store/phrase_queries.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

namespace brevicor::testing {
namespace {

using PhraseQueriesTest = LibraryTest;

FakeComboBox ComboSelecting(const std::string& text) {
    FakeComboBox combo;
    combo.AppendItem("other");
    combo.AppendItem(text);
    combo.SetCurSel(1);
    return combo;
}

TEST_F(PhraseQueriesTest, AddPhraseStoresApostrophesAsTheMarkerPair) {
    struct Case {
        std::string typed;
        std::string stored;
    } cases[] = {
        {"it's", "it\xAC\x60s"},
        {"''", "\xAC\x60\xAC\x60"},
        {"the end'", "the end\xAC\x60"},
        {"plain `text`", "plain `text`"},
        {"", ""},
    };
    FakeComboBox category = ComboSelecting("Greetings");
    int n = 0;
    for (const Case& c : cases) {
        std::string code = "code" + std::to_string(n++);
        WriteResult result = AddPhrase(category, code, c.typed);
        EXPECT_TRUE(result.stored) << result.message;
        auto rows = Query("SELECT category, content FROM phrase WHERE code = '" + code + "'");
        ASSERT_EQ(rows.size(), 1u) << c.typed;
        EXPECT_EQ(rows[0][0], "Greetings");
        EXPECT_EQ(rows[0][1], c.stored) << c.typed;
    }
}

TEST_F(PhraseQueriesTest, HostileValuesRoundTripExactlyAndLeaveTheTableAlone) {
    const std::string everyByte = EveryByte();
    const std::string values[] = {
        "O'Brien",
        "'",
        "x'); DELETE FROM phrase; --",
        "a' OR '1'='1",
        "\xAC\x60 and \xE9\x80",
        everyByte.substr(0, 255),
    };
    InsertRow("Keep", "keep", "must survive");
    for (const std::string& value : values) {
        ASSERT_TRUE(AddCategory(value).stored) << value;
        EXPECT_EQ(CountPhrasesInCategory(value), 1) << value;

        FakeComboBox category = ComboSelecting(value);
        ASSERT_TRUE(AddPhrase(category, value, "first").stored);
        WriteResult update = UpdatePhraseContentInCategory(value, value, everyByte);
        EXPECT_TRUE(update.stored) << update.message;
        EXPECT_EQ(GetContentByCategoryAndCode(value, value), everyByte) << value;
        EXPECT_EQ(CountPhrasesInCategory(value), 2);

        EXPECT_TRUE(DeletePhrase(value, value).write.stored);
        EXPECT_TRUE(DeleteCategory(value).stored);
        EXPECT_EQ(CountPhrasesInCategory(value), 0);
    }
    auto rows = Query("SELECT category, code, content FROM phrase");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], "must survive");
}

TEST_F(PhraseQueriesTest, LongestValuesFitTheStatementWhole) {
    // Content of 9215 bytes, every one a quote: doubled, the statement is far past 8 KiB.
    std::string quotes(9215, '\'');
    std::string code(255, 'c');
    int id = InsertRow("Big", code, "old");
    WriteResult update = UpdatePhraseContentInCategory("Big", code, quotes);
    ASSERT_TRUE(update.stored) << update.message;
    EXPECT_EQ(GetContentByPhraseId(id), quotes);

    FakeComboBox category = ComboSelecting("Big");
    std::string apostrophes(9215, '\'');
    ASSERT_TRUE(AddPhrase(category, "twice", apostrophes).stored);
    auto rows = Query("SELECT content FROM phrase WHERE code = 'twice'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].size(), 2u * 9215u) << "every apostrophe stored as the marker pair";
}

TEST_F(PhraseQueriesTest, OverlongValuesAreRefusedWithTheDriversReason) {
    FakeComboBox category = ComboSelecting("Work");
    WriteResult longCode = AddPhrase(category, std::string(256, 'c'), "text");
    EXPECT_FALSE(longCode.stored);
    EXPECT_FALSE(longCode.message.empty());
    WriteResult longCategory = AddCategory(std::string(256, 'n'));
    EXPECT_FALSE(longCategory.stored);
    EXPECT_TRUE(Query("SELECT * FROM phrase").empty());
}

TEST_F(PhraseQueriesTest, ShortcutOnlyFormsReachEveryCategoryKeyedFormsOnlyTheirOwn) {
    int work = InsertRow("Work", "sig", "work text");
    int home = InsertRow("Home", "sig", "home text");

    EXPECT_EQ(GetContentByCode("sig"), "work text") << "the first row the library yields";
    EXPECT_EQ(GetContentByCategoryAndCode("Home", "sig"), "home text");
    EXPECT_EQ(GetContentByCategoryAndCode("Elsewhere", "sig"), "");

    ASSERT_TRUE(UpdatePhraseContentInCategory("Home", "sig", "new home").stored);
    EXPECT_EQ(GetContentByPhraseId(work), "work text");
    EXPECT_EQ(GetContentByPhraseId(home), "new home");

    FakeComboBox code = ComboSelecting("sig");
    ASSERT_TRUE(UpdatePhraseContent(code, "both").stored);
    EXPECT_EQ(GetContentByPhraseId(work), "both");
    EXPECT_EQ(GetContentByPhraseId(home), "both");

    // The keyed update of a phrase that is not there changes nothing and still ran.
    WriteResult none = UpdatePhraseContentInCategory("Elsewhere", "sig", "x");
    EXPECT_TRUE(none.stored);
    EXPECT_EQ(GetContentByPhraseId(work), "both");
}

TEST_F(PhraseQueriesTest, DeletePhraseRemovesOnlyItsCategorysRowAndCountsWhatIsLeft) {
    InsertRow("Work", "sig", "w");
    InsertRow("Home", "sig", "h");
    InsertRow("Home", "other", "o");

    DeleteResult first = DeletePhrase("Home", "sig");
    EXPECT_TRUE(first.write.stored);
    EXPECT_EQ(first.rowsLeft, 2);
    EXPECT_EQ(GetContentByCategoryAndCode("Work", "sig"), "w");

    EXPECT_EQ(DeletePhrase("Work", "sig").rowsLeft, 1);
    EXPECT_EQ(DeletePhrase("Home", "other").rowsLeft, 0);
    EXPECT_EQ(CountPhrases(), 0);
}

TEST_F(PhraseQueriesTest, CategoriesExistThroughPlaceholderRows) {
    ASSERT_TRUE(AddCategory("Letters").stored);
    auto rows = Query("SELECT category, code, content FROM phrase");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Letters", "", ""}));
    EXPECT_EQ(CountPhrasesInCategory("Letters"), 1);
    EXPECT_EQ(CountPhrasesInCategory("letters"), 1) << "names compare without regard to case";

    InsertRow("Letters", "dear", "Dear Sir");
    EXPECT_TRUE(DeleteCategory("Letters").stored);
    EXPECT_EQ(CountPhrases(), 0) << "the phrases go with their category";
}

TEST_F(PhraseQueriesTest, NextShortcutNameCountsEveryRow) {
    EXPECT_EQ(NextShortcutName(), "Shortcut 1");
    for (int i = 0; i < 11; ++i) {
        InsertRow("C", "code" + std::to_string(i), "text");
    }
    AddCategory("Placeholder");
    EXPECT_EQ(CountPhrases(), 12);
    EXPECT_EQ(NextShortcutName(), "Shortcut 13");
}

TEST_F(PhraseQueriesTest, CommandIdentifiersNameAPhraseByItsIdPlusTheOffset) {
    int id = InsertRow("C", "code", "text of the phrase");
    EXPECT_EQ(GetContentForCommand(kPhraseCommandOffset + id), "text of the phrase");
    EXPECT_EQ(GetContentForCommand(3), "");
    EXPECT_EQ(GetContentForCommand(kPhraseCommandOffset + id + 1), "");
    EXPECT_EQ(GetContentForCommand(-2147483647 - 1), "") << "no overflow on the lowest id";
}

} // namespace
} // namespace brevicor::testing
