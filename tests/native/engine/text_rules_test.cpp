// How text behaves: case-insensitive comparison (Windows-1252 accents too), ordering, the
// 255-byte limit of category and code, and AutoNumber keys.
#include "library_fixture.hpp"

namespace brevicor::test {
namespace {

class TextRulesTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }
    SQLRETURN insert(const std::string& category, const std::string& code,
                     const std::string& content) {
        return run("INSERT INTO phrase (category, code, content) VALUES (" + literal(category) +
                   ", " + literal(code) + ", " + literal(content) + ")");
    }
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> out;
        for (const auto& row : query(sql)) {
            out.push_back(row.at(0).value_or("<null>"));
        }
        return out;
    }
};

TEST_F(TextRulesTest, ComparisonDistinctAndOrderIgnoreCaseIncludingAccents) {
    const std::string ete_lower = "\xE9t\xE9"; // été
    const std::string ete_upper = "\xC9T\xC9"; // ÉTÉ
    for (const auto& [category, code] :
         std::vector<std::pair<std::string, std::string>>{{"Greetings", "banana"},
                                                          {"GREETINGS", "Apple"},
                                                          {"greetings", "cherry"},
                                                          {ete_lower, "x"},
                                                          {ete_upper, "y"}}) {
        ASSERT_EQ(insert(category, code, "text"), SQL_SUCCESS);
    }
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE category = 'gReEtInGs'"), "3");
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE category = " + literal(ete_upper)),
              "2");
    EXPECT_EQ(column("SELECT DISTINCT category FROM phrase ORDER BY category ASC").size(), 2U);
    // Byte order would put "Apple" first only by accident of case; "banana" < "Cherry" too.
    EXPECT_EQ(column("SELECT code, PhraseID FROM phrase WHERE category = 'greetings' ORDER BY "
                     "code ASC"),
              (std::vector<std::string>{"Apple", "banana", "cherry"}));
    ASSERT_EQ(insert("greetings", "Banana2", "t"), SQL_SUCCESS);
    ASSERT_EQ(insert("greetings", "apricot", "t"), SQL_SUCCESS);
    EXPECT_EQ(column("SELECT code, PhraseID FROM phrase WHERE category = 'Greetings' ORDER BY "
                     "code ASC"),
              (std::vector<std::string>{"Apple", "apricot", "banana", "Banana2", "cherry"}));
    // The WHERE of an UPDATE folds case as well.
    EXPECT_EQ(run("UPDATE phrase SET content = 'new' WHERE code = 'APRICOT' AND category = "
                  "'GREETINGS'"),
              SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'apricot'"), "new");
}

TEST_F(TextRulesTest, LikeFoldsCaseButKeepsAccentsApartByteForByte) {
    ASSERT_EQ(insert("c", "caf\xE9", "one"), SQL_SUCCESS);       // café
    ASSERT_EQ(insert("c", "\xC9T\xC9 50%", "two"), SQL_SUCCESS); // ÉTÉ 50%
    const struct {
        const char* pattern;
        const char* matches; // codes found, joined by '|'
    } cases[] = {
        {"'caf\xE9'", "caf\xE9"},              // exact
        {"'CAF\xC9'", "caf\xE9"},              // É = é
        {"'caf\xE8'", ""},                     // è is not é
        {"'caf\xF1'", ""},                     // ñ is not é
        {"'caf_'", "caf\xE9"},                 // one byte is one character
        {"'caf__'", ""},                       // ... not two
        {"'%\xE9%'", "caf\xE9|\xC9T\xC9 50%"}, // é inside, either case
        {"'\xE9t\xE9%'", "\xC9T\xC9 50%"},
        {"'%50!%' ESCAPE '!'", "\xC9T\xC9 50%"}, // a literal %
        {"'%5!%' ESCAPE '!'", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::string found;
        for (const auto& code : column(std::string("SELECT code FROM phrase WHERE code LIKE ") +
                                       c.pattern + " ORDER BY PhraseID")) {
            found += (found.empty() ? "" : "|") + code;
        }
        EXPECT_EQ(found, c.matches);
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE content NOT LIKE 'O%'"), "1");
    EXPECT_EQ(scalar("SELECT 'x' LIKE NULL IS NULL"), "1");
}

TEST_F(TextRulesTest, EveryWindows1252LetterPairCompareEqual) {
    std::vector<std::pair<unsigned char, unsigned char>> pairs = {
        {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (unsigned c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            pairs.emplace_back(static_cast<unsigned char>(c), static_cast<unsigned char>(c + 0x20));
        }
    }
    for (const auto& [upper, lower] : pairs) {
        const std::string code = std::string("k") + static_cast<char>(lower);
        ASSERT_EQ(insert("pairs", code, "v"), SQL_SUCCESS);
        EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE code = " +
                         literal(std::string("K") + static_cast<char>(upper))),
                  "1")
            << std::hex << int(upper) << " vs " << int(lower);
    }
    // Not letters: × and ÷ sit in the same slots but are different signs; ß has no capital.
    const std::pair<unsigned char, unsigned char> distinct[] = {
        {0xD7, 0xF7}, {0xDF, 0xFF}, {0x80, 0xA0}};
    for (const auto& [a, b] : distinct) {
        ASSERT_EQ(insert("other", std::string(1, static_cast<char>(a)), "v"), SQL_SUCCESS);
        EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE category = 'other' AND code = " +
                         literal(std::string(1, static_cast<char>(b)))),
                  "0")
            << std::hex << int(a) << " vs " << int(b);
    }
}

TEST_F(TextRulesTest, RowsWithoutOrderByComeInInsertionOrder) {
    for (const char* code : {"zulu", "alpha", "Mike", "bravo"}) {
        ASSERT_EQ(insert("c", code, "v"), SQL_SUCCESS);
    }
    EXPECT_EQ(column("SELECT code FROM phrase WHERE category = 'c'"),
              (std::vector<std::string>{"zulu", "alpha", "Mike", "bravo"}));
}

TEST_F(TextRulesTest, AutoNumberNeverReusesDeletedValues) {
    for (const char* code : {"a", "b", "c"}) {
        ASSERT_EQ(insert("c", code, "v"), SQL_SUCCESS);
    }
    ASSERT_EQ(run("DELETE FROM phrase WHERE category = 'c' AND code = 'c'"), SQL_SUCCESS);
    ASSERT_EQ(insert("c", "d", "v"), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT PhraseID FROM phrase WHERE code = 'd'"), "4");
    ASSERT_EQ(run("DELETE FROM phrase WHERE category = 'c'"), SQL_SUCCESS);
    // Also across connections: the high-water mark lives in the file.
    disconnect();
    ASSERT_EQ(connect(), SQL_SUCCESS);
    ASSERT_EQ(insert("c", "e", "v"), SQL_SUCCESS);
    EXPECT_EQ(column("SELECT code, PhraseID FROM phrase WHERE category = 'c' ORDER BY code ASC"),
              (std::vector<std::string>{"e"}));
    EXPECT_EQ(scalar("SELECT PhraseID FROM phrase WHERE code = 'e'"), "5");
}

TEST_F(TextRulesTest, CategoryAndCodeHoldAtMost255Bytes) {
    struct Case {
        const char* what;
        std::string category;
        std::string code;
        bool fits;
        const char* field;
    };
    // "é©" (0xE9 0xA9) on purpose: read as UTF-8 that pair is one character, so counting
    // characters instead of bytes would let 256 bytes through.
    std::string accents;
    for (int i = 0; i < 128; ++i) {
        accents += "\xE9\xA9";
    }
    const Case cases[] = {
        {"255-byte category", std::string(255, 'c'), "k", true, ""},
        {"255-byte code", "c", std::string(255, 'k'), true, ""},
        {"255 accented bytes", accents.substr(0, 255), accents.substr(1), true, ""},
        {"256-byte category", std::string(256, 'c'), "k", false, "category"},
        {"256-byte code", "c", std::string(256, 'k'), false, "code"},
        {"256 accented bytes", "c", accents, false, "code"},
    };
    int stored = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SQLRETURN rc = insert(c.category, c.code, "content");
        if (c.fits) {
            EXPECT_EQ(rc, SQL_SUCCESS);
            ++stored;
            EXPECT_EQ(scalar("SELECT category FROM phrase WHERE code = " + literal(c.code)),
                      c.category);
        } else {
            EXPECT_EQ(rc, SQL_ERROR);
            ASSERT_FALSE(last_diag.empty());
            EXPECT_EQ(last_diag[0].sqlstate, "22001");
            EXPECT_NE(last_diag[0].message.find(std::string("'") + c.field + "'"),
                      std::string::npos)
                << last_diag[0].message;
        }
        EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), std::to_string(stored));
    }
    // Growing a stored value past the limit is refused too, and the old value stays.
    EXPECT_EQ(
        run("UPDATE phrase SET code = " + literal(std::string(256, 'z')) + " WHERE code = 'k'"),
        SQL_ERROR);
    ASSERT_FALSE(last_diag.empty());
    EXPECT_EQ(last_diag[0].sqlstate, "22001");
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE code = 'k'"), "1");
}

} // namespace
} // namespace brevicor::test
