// Reading and writing the file formats: CSV (RFC 4180), JSON, and Espanso match files.
#include "tools/library/csv_format.h"
#include "tools/library/espanso_reader.h"
#include "tools/library/json_format.h"

#include <gtest/gtest.h>

namespace brevicor::library {
namespace {

struct Expected {
    std::string category, code, content;
    std::string where = {};
};

void ExpectRecords(const RecordsRead& read, const std::vector<Expected>& expected,
                   const std::string& label) {
    ASSERT_FALSE(read.refusal) << label << ": " << Describe(*read.refusal);
    ASSERT_EQ(read.records.size(), expected.size()) << label;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.records[i].category, expected[i].category) << label << " #" << i;
        EXPECT_EQ(read.records[i].code, expected[i].code) << label << " #" << i;
        EXPECT_EQ(read.records[i].content, expected[i].content) << label << " #" << i;
        if (!expected[i].where.empty()) {
            EXPECT_EQ(read.records[i].where, expected[i].where) << label << " #" << i;
        }
    }
}

struct RefusalCase {
    std::string label;
    std::string file;
    std::string where; // the start of the refusal's place
    std::string field;
    std::string reason; // a part of the reason
};

void ExpectRefusal(const RecordsRead& read, const RefusalCase& c) {
    ASSERT_TRUE(read.refusal) << c.label << ": read " << read.records.size() << " records";
    EXPECT_EQ(read.refusal->where.substr(0, c.where.size()), c.where)
        << c.label << ": " << Describe(*read.refusal);
    EXPECT_EQ(read.refusal->field, c.field) << c.label << ": " << Describe(*read.refusal);
    EXPECT_NE(read.refusal->reason.find(c.reason), std::string::npos)
        << c.label << ": " << Describe(*read.refusal);
}

TEST(CsvFormat, ReadsWhatSpreadsheetsWrite) {
    struct Case {
        std::string label;
        std::string file;
        std::vector<Expected> records;
    };
    const std::vector<Case> cases = {
        {"plain, CR LF", "category,code,content\r\nA,b,c\r\n", {{"A", "b", "c", "line 2"}}},
        {"LF only, no final line break", "category,code,content\nA,b,c", {{"A", "b", "c"}}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "category,code,content\r\nA,b,c\r\n",
         {{"A", "b", "c"}}},
        {"header in another order and case",
         "Content,CODE,category\r\nc,b,A\r\n",
         {{"A", "b", "c"}}},
        {"quoted comma, doubled quotes, SQL",
         "category,code,content\r\n\"A, B\",\"x\"\"y\",\"'); DROP TABLE phrase; --\"\r\n",
         {{"A, B", "x\"y", "'); DROP TABLE phrase; --"}}},
        {"line breaks inside quotes count as lines",
         "category,code,content\r\nA,one,\"l1\r\nl2\nl3\"\r\nA,two,x\r\n",
         {{"A", "one", "l1\r\nl2\nl3", "line 2"}, {"A", "two", "x", "line 5"}}},
        {"empty fields and a category row",
         "category,code,content\r\nEmpty,,\r\nA,b,\"\"\r\n",
         {{"Empty", "", ""}, {"A", "b", ""}}},
        {"empty lines are passed over",
         "category,code,content\r\n\r\nA,b,c\r\n\r\n\r\n",
         {{"A", "b", "c", "line 3"}}},
        {"spaces are data", "category,code,content\r\n A , b ,c \r\n", {{" A ", " b ", "c "}}},
    };
    for (const Case& c : cases) {
        ExpectRecords(ReadCsv(c.file), c.records, c.label);
    }
}

TEST(CsvFormat, RefusesMalformedFilesNamingTheLine) {
    const std::vector<RefusalCase> cases = {
        {"unclosed quote", "category,code,content\r\nA,b,c\r\nA,d,\"never closed\r\nmore\r\n",
         "line 3", "content", "opened on line 3 is never closed"},
        {"too few fields", "category,code,content\r\nA,b,c\r\nA,b\r\n", "line 3", "", "2 fields"},
        {"too many fields", "category,code,content\r\nA,b,c,d\r\n", "line 2", "", "4 fields"},
        {"text after the closing quote", "category,code,content\r\nA,\"b\"x,c\r\n", "line 2",
         "code", "follows the closing quote"},
        {"bare quote in a field", "category,code,content\r\nA,b,say \"hi\"\r\n", "line 2",
         "content", "quote inside a field"},
        {"no header", "A,b,c\r\n", "line 1", "", "header"},
        {"header with a wrong name", "category,shortcut,content\r\n", "line 1", "", "header"},
        {"header naming a column twice", "category,code,code\r\n", "line 1", "", "header"},
        {"empty file", "", "line 1", "", "empty"},
    };
    for (const RefusalCase& c : cases) {
        ExpectRefusal(ReadCsv(c.file), c);
    }
}

// Texts that break naive writers: each comes back as it went out.
const std::vector<std::string>& HostileTexts() {
    static const std::vector<std::string> texts = {
        "plain",
        "",
        "comma, inside",
        "\"quoted\" and \"\"doubled\"\"",
        "line\r\nbreaks\r\n",
        "\r\n",
        "'); DELETE FROM phrase; --",
        "tab\there, backslash \\ slash /",
        "é € ’ … — Š",
        "\x01 control \x1F and \x7F",
        "\u0081\u008D",
        "{\"json\": [1, 2]}",
    };
    return texts;
}

TEST(CsvFormat, WrittenRecordsReadBackUnchanged) {
    std::string file = kCsvHeader;
    std::vector<Expected> expected;
    for (const std::string& text : HostileTexts()) {
        file += CsvLine(PhraseRecord{text, text.empty() ? "s" : text, text, ""});
        expected.push_back({text, text.empty() ? "s" : text, text, ""});
    }
    ExpectRecords(ReadCsv(file), expected, "csv round trip");
}

TEST(CsvFormat, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvLine({"A", "b", "c d", ""}), "A,b,c d\r\n");
    EXPECT_EQ(CsvLine({"A", "b,", "x\"y", ""}), "A,\"b,\",\"x\"\"y\"\r\n");
    EXPECT_EQ(CsvLine({"A", "b", "1\r\n2", ""}), "A,b,\"1\r\n2\"\r\n");
}

TEST(JsonFormat, ReadsArraysOfPhraseObjects) {
    struct Case {
        std::string label;
        std::string file;
        std::vector<Expected> records;
    };
    const std::vector<Case> cases = {
        {"empty array", " [ ] ", {}},
        {"members in any order, others passed over",
         "[\n {\"id\": 7, \"content\": \"c\", \"tags\": [\"a\", {\"b\": null}], \"code\": \"b\", "
         "\"category\": \"A\", \"on\": true}\n]",
         {{"A", "b", "c", "record 1 (line 2)"}}},
        {"escapes",
         R"([{"category":"A","code":"\u00e9\"","content":"l1\r\nl2\t\\\/ \u20AC \ud83d\ude00"}])",
         {{"A", "é\"", "l1\r\nl2\t\\/ € 😀"}}},
        {"raw UTF-8 and a byte order mark",
         "\xEF\xBB\xBF[{\"category\":\"Études\",\"code\":\"café\",\"content\":\"à\"}]",
         {{"Études", "café", "à"}}},
        {"numbers in members passed over",
         "[{\"n\": -1.5e+3, \"m\": 0, \"category\":\"A\","
         "\"code\":\"b\",\"content\":\"\"}]",
         {{"A", "b", ""}}},
    };
    for (const Case& c : cases) {
        ExpectRecords(ReadJson(c.file), c.records, c.label);
    }
}

TEST(JsonFormat, RefusesMalformedFilesNamingTheRecord) {
    const std::string ok = R"({"category":"A","code":"b","content":"c"})";
    const std::vector<RefusalCase> cases = {
        {"not an array", R"({"category":"A"})", "line 1", "", "one JSON array"},
        {"unclosed array", "[" + ok, "line 1", "", "expected , or ]"},
        {"missing content", "[" + ok + ",\n{\"category\":\"A\",\"code\":\"b\"}]",
         "record 2 (line 2)", "content", "missing"},
        {"number as shortcut", R"([{"category":"A","code":12,"content":"c"}])", "record 1", "code",
         "must be a string"},
        {"null content", R"([{"category":"A","code":"b","content":null}])", "record 1", "content",
         "must be a string"},
        {"repeated member", R"([{"category":"A","code":"b","code":"c","content":"c"}])", "record 1",
         "code", "given twice"},
        {"element not an object", "[" + ok + ", \"text\"]", "record 2", "", "must be an object"},
        {"raw line break in a string", "[{\"category\":\"A\",\"code\":\"b\",\"content\":\"a\nb\"}]",
         "record 1", "content", "must be escaped"},
        {"lone low surrogate", R"([{"category":"A","code":"b","content":"\udc00"}])", "record 1",
         "content", "surrogate"},
        {"invalid UTF-8", "[{\"category\":\"A\",\"code\":\"b\xFF\",\"content\":\"c\"}]", "record 1",
         "code", "not valid UTF-8"},
        {"unknown escape", R"([{"category":"A","code":"b","content":"\x"}])", "record 1", "content",
         "unknown escape"},
        {"trailing comma", "[" + ok + ",]", "record 2", "", "must be an object"},
        {"text after the array", "[" + ok + "] []", "line 1", "", "text follows"},
        {"bad literal", R"([{"x": nul, "category":"A","code":"b","content":"c"}])", "record 1", "",
         "expected a JSON value"},
        {"nesting too deep", "[{\"x\": " + std::string(100, '[') + std::string(100, ']') + "}]",
         "record 1", "", "nested"},
    };
    for (const RefusalCase& c : cases) {
        ExpectRefusal(ReadJson(c.file), c);
    }
}

TEST(JsonFormat, WrittenRecordsReadBackUnchanged) {
    std::string file = "[";
    std::vector<Expected> expected;
    for (const std::string& text : HostileTexts()) {
        file += (file.size() > 1 ? "," : "") + JsonObject(PhraseRecord{text, text, text, ""});
        expected.push_back({text, text, text, ""});
    }
    file += "]";
    ExpectRecords(ReadJson(file), expected, "json round trip");
}

TEST(EspansoReader, TriggersBecomeShortcutsOfTheFilesCategory) {
    const std::string file = "global_vars:\n"
                             "  - name: g\n"
                             "    type: echo\n"
                             "matches:\n"
                             "  - trigger: \":sig\"\n"
                             "    replace: \"Best,\\nRené\"\n"
                             "  - triggers: [\":hi\", \":hello\"]\n"
                             "    replace: |\n"
                             "      Hello,\n"
                             "      it's me\n"
                             "  - trigger: \":date\"\n"
                             "    replace: \"{{today}}\"\n"
                             "    vars:\n"
                             "      - name: today\n"
                             "        type: date\n"
                             "  - trigger: \":g\"\n"
                             "    replace: \"global {{g}}\"\n"
                             "  - trigger: \":form\"\n"
                             "    form: \"Hi [[name]]\"\n"
                             "  - trigger: \":cat\"\n"
                             "    image_path: \"/tmp/cat.png\"\n"
                             "  - trigger: \":md\"\n"
                             "    markdown: \"**bold**\"\n"
                             "  - regex: \":x(?P<n>\\\\d+)\"\n"
                             "    replace: \"n\"\n"
                             "  - trigger: \":braces\"\n"
                             "    replace: \"a { b } c\"\n";
    const RecordsRead read = ReadEspanso(file, "base");
    ExpectRecords(read,
                  {{"base", ":sig", "Best,\nRené", "match 1 (line 5)"},
                   {"base", ":hi", "Hello,\nit's me\n", "match 2 (line 7)"},
                   {"base", ":hello", "Hello,\nit's me\n", "match 2 (line 7)"},
                   {"base", ":braces", "a { b } c", "match 9 (line 26)"}},
                  "espanso");
    ASSERT_EQ(read.skipped.size(), 6u);
    EXPECT_EQ(read.skipped[0], "match 3 (line 11): skipped, it uses variables");
    EXPECT_EQ(read.skipped[1], "match 4 (line 16): skipped, it uses variables");
    EXPECT_NE(read.skipped[2].find("a form"), std::string::npos);
    EXPECT_NE(read.skipped[3].find("an image"), std::string::npos);
    EXPECT_NE(read.skipped[4].find("rich text"), std::string::npos);
    EXPECT_NE(read.skipped[5].find("regular expression"), std::string::npos);
    EXPECT_STREQ(read.records[0].codeField, "trigger");
    EXPECT_STREQ(read.records[0].contentField, "replace");
}

TEST(EspansoReader, RefusesFilesItCannotRead) {
    const std::vector<RefusalCase> cases = {
        {"not YAML", "matches:\n  - trigger: \":a\"\n    replace: [unclosed\n", "line ", "",
         "not valid YAML"},
        {"invalid UTF-8", "matches:\n  - trigger: \":a\"\n    replace: \"\xFF\"\n", "line 3", "",
         "not valid UTF-8"},
        {"no trigger", "matches:\n  - replace: \"x\"\n", "match 1 (line 2)", "trigger", "missing"},
        {"no text", "matches:\n  - trigger: \":a\"\n", "match 1", "replace", "missing"},
        {"trigger list of lists", "matches:\n  - triggers: [[\":a\"]]\n    replace: x\n", "match 1",
         "triggers", "list of texts"},
        {"matches not a list", "matches: 3\n", "line 1", "matches", "list of matches"},
        {"a list at the top", "- trigger: a\n", "line 1", "", "not a match file"},
    };
    for (const RefusalCase& c : cases) {
        ExpectRefusal(ReadEspanso(c.file, "base"), c);
    }
    EXPECT_FALSE(ReadEspanso("", "base").refusal);
    EXPECT_FALSE(ReadEspanso("imports:\n  - other.yml\n", "base").refusal);
}

} // namespace
} // namespace brevicor::library
