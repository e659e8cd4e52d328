// Windows-1252 <-> UTF-8 and the bytes an import stores for a record.
#include "tools/library/library_text.h"
#include "tools/library/text_1252.h"

#include <gtest/gtest.h>

namespace brevicor::library {
namespace {

TEST(TextConversion, EveryByteSurvivesTheWayOutAndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = Utf8FromWindows1252(all);
    EXPECT_FALSE(FindInvalidUtf8(utf8).has_value());
    const Narrowed back = Windows1252FromUtf8(utf8);
    EXPECT_EQ(back.problem, "");
    EXPECT_EQ(back.bytes, all);
}

TEST(TextConversion, KnownCharacters) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"caf\xE9", "café"},
        {"\x80 5", "€ 5"},
        {"\x93quoted\x94", "\u201Cquoted\u201D"},
        {"\x8A\x9A\x9F\xFF", "ŠšŸÿ"},
        {"\x85", "…"},
        {"\x81", "\u0081"}, // unassigned in the code page: kept as the control of that number
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8FromWindows1252(c.bytes), c.utf8) << c.utf8;
        EXPECT_EQ(Windows1252FromUtf8(c.utf8).bytes, c.bytes) << c.utf8;
    }
}

TEST(TextConversion, RefusesWhatTheCodePageCannotHold) {
    struct Case {
        std::string utf8;
        std::string problem;
    };
    const Case cases[] = {
        {"中", "holds U+4E2D (中), which Windows-1252 cannot hold"},
        {"ok \xF0\x9F\x98\x80", "holds U+1F600"},
        {"\u0080", "holds U+0080"}, // 0x80 is the euro sign, not this control
        {std::string("a\0b", 3), "NUL"},
        {"\xC3", "not valid UTF-8 (byte 0xC3 at byte 1)"},
        {"ab\xC0\xAF", "not valid UTF-8 (byte 0xC0 at byte 3)"}, // overlong slash
        {"\xED\xA0\x80", "not valid UTF-8"},                     // a surrogate
        {"\xF4\x90\x80\x80", "not valid UTF-8"},                 // above U+10FFFF
        {"\xE2\x82", "not valid UTF-8"},                         // cut short
    };
    for (const Case& c : cases) {
        const Narrowed narrowed = Windows1252FromUtf8(c.utf8);
        EXPECT_NE(narrowed.problem.find(c.problem), std::string::npos)
            << c.utf8 << " gave: " << narrowed.problem;
    }
}

TEST(TextConversion, LineBreaksBecomeCrLf) {
    EXPECT_EQ(CrLfLineBreaks("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
}

TEST(TextConversion, FoldsCaseAsTheLibraryCompares) {
    EXPECT_EQ(FoldedKey("Caf\xC9 \x8A\x8C\x8E\x9F"), FoldedKey("caf\xE9 \x9A\x9C\x9E\xFF"));
    EXPECT_NE(FoldedKey("cafe"), FoldedKey("caf\xE9")); // accents are not folded away
    EXPECT_NE(FoldedKey("\xD7"), FoldedKey("\xF7"));    // × and ÷ are not letters
}

// The bytes an import stores, and what export gives back for them.
TEST(StoredPhrase, StoresTextAsAddPhraseDoes) {
    const PhraseRecord record{"Études", "don't", "it's \"quoted\"\nnext line", "line 2"};
    const auto stored = StoredFromRecord(record);
    ASSERT_TRUE(std::holds_alternative<StoredPhrase>(stored))
        << Describe(std::get<Refusal>(stored));
    const StoredPhrase& phrase = std::get<StoredPhrase>(stored);
    EXPECT_EQ(phrase.category, "\xC9tudes");
    EXPECT_EQ(phrase.code, "don't"); // a shortcut is stored as typed
    EXPECT_EQ(phrase.content, "it\xAC`s \"quoted\"\r\nnext line");

    const PhraseRecord back = RecordFromStored(phrase);
    EXPECT_EQ(back.category, "Études");
    EXPECT_EQ(back.code, "don't");
    EXPECT_EQ(back.content, "it's \"quoted\"\r\nnext line");
}

TEST(StoredPhrase, AcceptsValuesUpToTheLimits) {
    struct Case {
        const char* what;
        PhraseRecord record;
    };
    const std::string e255(255, 'e');
    std::string accented255;
    for (int i = 0; i < 255; ++i) {
        accented255 += "é"; // two bytes in UTF-8, one in the library
    }
    const Case cases[] = {
        {"255-byte shortcut", {"c", e255, "x", "line 2"}},
        {"255-byte category", {e255, "s", "x", "line 2"}},
        {"255 accented letters are 255 bytes", {"c", accented255, "", "line 2"}},
        {"9215-byte text", {"c", "s", std::string(9215, 'x'), "line 2"}},
        {"text of 9213 bytes and one apostrophe",
         {"c", "s", std::string(9213, 'x') + "'", "line 2"}},
        {"category row", {"Empty", "", "", "line 2"}},
    };
    for (const Case& c : cases) {
        const auto stored = StoredFromRecord(c.record);
        EXPECT_TRUE(std::holds_alternative<StoredPhrase>(stored))
            << c.what << ": " << Describe(std::get<Refusal>(stored));
    }
}

TEST(StoredPhrase, RefusesNamingRecordAndField) {
    struct Case {
        PhraseRecord record;
        std::string field;
        std::string reason;
    };
    const Case cases[] = {
        {{"c", "", "some text", "line 4"}, "code", "the shortcut is empty"},
        {{"", "", "", "line 4"}, "code", "the shortcut is empty"},
        {{"c", std::string(256, 's'), "x", "line 4"}, "code", "256 bytes"},
        {{std::string(256, 'c'), "s", "x", "line 4"}, "category", "256 bytes"},
        {{"c", "s", std::string(9216, 'x'), "line 4"}, "content", "9216 bytes"},
        // Each apostrophe is stored as two bytes, and the program reads 9215 at most.
        {{"c", "s", std::string(9214, 'x') + "'", "line 4"}, "content", "9216 bytes"},
        {{"c", "s", "\xE2\x82\xAC\xE2", "line 4"}, "content", "not valid UTF-8"},
        {{"c", "s😀", "x", "line 4"}, "code", "U+1F600"},
        {{"Ελληνικά", "s", "x", "line 4"}, "category", "U+0395"},
    };
    for (const Case& c : cases) {
        const auto stored = StoredFromRecord(c.record);
        ASSERT_TRUE(std::holds_alternative<Refusal>(stored)) << c.reason;
        const Refusal& refusal = std::get<Refusal>(stored);
        EXPECT_EQ(refusal.where, "line 4");
        EXPECT_EQ(refusal.field, c.field) << refusal.reason;
        EXPECT_NE(refusal.reason.find(c.reason), std::string::npos) << refusal.reason;
    }
}

} // namespace
} // namespace brevicor::library
