#include "store/sql_text.h"

#include <gtest/gtest.h>

namespace brevicor {
namespace {

TEST(ParseDecimal, ReadsLeadingNumberLikeTheLibraryCountsNeedIt) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},
        {"  \t42abc", 42},
        {"-7", -7},
        {"+5", 5},
        {"", 0},
        {"abc", 0},
        {"- 3", 0},
        {"00012", 12},
        {"2147483647", 2147483647},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(QuoteLiteral, DoublesEveryQuoteAndNothingElse) {
    EXPECT_EQ(QuoteLiteral("it's"), "it''s");
    EXPECT_EQ(QuoteLiteral("''"), "''''");
    EXPECT_EQ(QuoteLiteral("x'); DROP TABLE phrase; --"), "x''); DROP TABLE phrase; --");
    EXPECT_EQ(QuoteLiteral("\xAC\x60\"`"), "\xAC\x60\"`");
}

TEST(Apostrophes, EncodeAndDecodeAreInverseOnTypedText) {
    struct Case {
        std::string typed;
        std::string stored;
    } cases[] = {
        {"it's", "it\xAC\x60s"},
        {"''", "\xAC\x60\xAC\x60"},
        {"end'", "end\xAC\x60"},
        {"no quotes", "no quotes"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeApostrophes(c.typed), c.stored) << c.typed;
        EXPECT_EQ(DecodeApostrophes(c.stored), c.typed) << c.typed;
    }
}

TEST(Apostrophes, DecodeLeavesLoneHalvesOfThePairAlone) {
    EXPECT_EQ(DecodeApostrophes("a\xAC"
                                "b"),
              "a\xAC"
              "b");
    EXPECT_EQ(DecodeApostrophes("a`b"), "a`b");
    EXPECT_EQ(DecodeApostrophes("\xAC"), "\xAC");
    EXPECT_EQ(DecodeApostrophes("\xAC\xAC\x60"), "\xAC'");
    EXPECT_EQ(DecodeApostrophes("\x60\xAC\x60\x60"), "`'`");
}

} // namespace
} // namespace brevicor
