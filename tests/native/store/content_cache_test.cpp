// The content cache the hover preview reads: loaded from a real library, and kept current by
// every write the store makes.
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

#include <functional>
#include <string>

namespace brevicor::testing {
namespace {

class ContentCacheTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        // The cache is process-wide: start every test from the fresh, empty library's.
        ASSERT_EQ(LoadContentCache(), 0);
    }

    static FakeComboBox Selecting(const std::string& text) {
        FakeComboBox combo;
        combo.AppendItem(text);
        combo.SetCurSel(0);
        return combo;
    }
};

TEST_F(ContentCacheTest, CachesEveryStoredTextByPhraseIdAndCountsEveryRow) {
    int marked = InsertRow("A", "m", "it\xAC\x60s mine");
    int empty = InsertRow("A", "e", "");
    ASSERT_TRUE(AddCategory("Placeholder").stored);
    // PhraseIDs are never reused, so a library that has lived long hands out large ones.
    Exec("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
         "(4095, 'A', 'a', 'at 4095'), (4096, 'A', 'b', 'at 4096'), "
         "(5001, 'A', 'c', 'at 5001'), (12000, 'A', 'd', 'at 12000'), "
         "(2000000000, 'A', 'f', 'far out')");

    EXPECT_EQ(LoadContentCache(), 8) << "rows with empty content count too";
    EXPECT_EQ(LookupCachedContent(marked), "it\xAC\x60s mine") << "kept exactly as stored";
    const struct {
        int phraseId;
        std::string text;
    } cases[] = {
        {4095, "at 4095"},       {4096, "at 4096"}, {5001, "at 5001"}, {12000, "at 12000"},
        {2000000000, "far out"}, {empty, ""},       {-1, ""},          {4097, ""}, // no such phrase
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LookupCachedContent(c.phraseId), c.text) << c.phraseId;
    }
}

TEST_F(ContentCacheTest, ReloadHoldsTheLibraryAsItIsNow) {
    int id = InsertRow("A", "code", "first text");
    int other = InsertRow("A", "other", "other text");
    ASSERT_EQ(LoadContentCache(), 2);
    ASSERT_EQ(LookupCachedContent(id), "first text");

    Exec("UPDATE phrase SET content = 'second text' WHERE code = 'code'");
    LoadContentCache();
    EXPECT_EQ(LookupCachedContent(id), "second text");

    Exec("UPDATE phrase SET content = '' WHERE code = 'code'");
    EXPECT_EQ(LoadContentCache(), 2);
    EXPECT_EQ(LookupCachedContent(id), "") << "an emptied text has no preview";

    Exec("DELETE FROM phrase WHERE code = 'other'");
    EXPECT_EQ(LoadContentCache(), 1);
    EXPECT_EQ(LookupCachedContent(other), "") << "a deleted phrase is gone";
}

TEST_F(ContentCacheTest, ReadsAtMost9215BytesOfAText) {
    std::string whole(9215, 'w');
    std::string tooLong = std::string(9215, 'x') + "yz";
    int fits = InsertRow("A", "fits", whole);
    int cut = InsertRow("A", "cut", tooLong);
    EXPECT_EQ(LoadContentCache(), 2);
    EXPECT_EQ(LookupCachedContent(fits), whole);
    EXPECT_EQ(LookupCachedContent(cut), tooLong.substr(0, 9215));
}

TEST_F(ContentCacheTest, ALibraryThatCannotBeReadKeepsTheCachedTexts) {
    int id = InsertRow("A", "code", "cached before");
    ASSERT_EQ(LoadContentCache(), 1);
    Exec("DROP TABLE phrase");
    EXPECT_EQ(LoadContentCache(), 0);
    EXPECT_EQ(LookupCachedContent(id), "cached before");
    EXPECT_NE(TakeTrace(), "") << "the driver's reason is traced";
}

// Each write is made through the store with no explicit reload: the cache must already hold
// what the library holds afterwards.
TEST_F(ContentCacheTest, EveryWriteOfTheStoreLeavesTheCacheCurrent) {
    int kept = InsertRow("Letters", "kept", "kept text");
    int saved = InsertRow("Letters", "saved", "old text");
    int gone = InsertRow("Letters", "gone", "deleted text");
    int inDropped = InsertRow("Dropped", "x", "in a dropped category");
    FakeComboBox letters = Selecting("Letters");
    FakeComboBox savedCode = Selecting("saved");

    const struct {
        std::string write;
        std::function<bool()> run;
        std::function<void()> expect;
    } cases[] = {
        {"add phrase", [&] { return AddPhrase(letters, "new", "C'est l\xE0").stored; },
         [&] {
             int added = std::stoi(Query("SELECT PhraseID FROM phrase WHERE code = 'new'")[0][0]);
             EXPECT_EQ(LookupCachedContent(added), "C\xAC\x60"
                                                   "est l\xE0")
                 << "as stored";
         }},
        {"save in the editor",
         [&] { return UpdatePhraseContentInCategory("Letters", "saved", "new text").stored; },
         [&] { EXPECT_EQ(LookupCachedContent(saved), "new text"); }},
        {"save by shortcut", [&] { return UpdatePhraseContent(savedCode, "newer text").stored; },
         [&] { EXPECT_EQ(LookupCachedContent(saved), "newer text"); }},
        {"delete phrase", [&] { return DeletePhrase("Letters", "gone").write.stored; },
         [&] { EXPECT_EQ(LookupCachedContent(gone), ""); }},
        {"delete category", [&] { return DeleteCategory("Dropped").stored; },
         [&] { EXPECT_EQ(LookupCachedContent(inDropped), ""); }},
        // Adding a category writes only an empty row; the reload still picks up a text that
        // another program changed meanwhile.
        {"add category",
         [&] {
             Exec("UPDATE phrase SET content = 'changed elsewhere' WHERE code = 'kept'");
             return AddCategory("Fresh").stored;
         },
         [&] { EXPECT_EQ(LookupCachedContent(kept), "changed elsewhere"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.write);
        ASSERT_TRUE(c.run()) << LastDriverMessage();
        c.expect();
    }
}

} // namespace
} // namespace brevicor::testing
