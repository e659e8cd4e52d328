// brevicor-library as users run it: the real program, the real driver manager and engine, a
// fresh library per test, and a connection of the test's own held open the whole time, as the
// tray program holds one.
#include "store/sql_text.h"
#include "tests/native/engine/library_fixture.hpp"
#include "tests/native/library_tool/tool_runner.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class LibraryToolTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_TRUE(SQL_SUCCEEDED(connect()));
    }

    void Insert(const std::string& category, const std::string& code, const std::string& content) {
        ASSERT_TRUE(SQL_SUCCEEDED(run("INSERT INTO phrase (category, code, content) VALUES (" +
                                      literal(category) + ", " + literal(code) + ", " +
                                      literal(content) + ")")))
            << (last_diag.empty() ? "" : last_diag[0].message);
    }

    // Every row's bytes, in PhraseID order.
    std::vector<std::vector<std::string>> Phrases(const std::string& library = "") {
        std::vector<std::vector<std::string>> rows;
        std::optional<Handle> otherDbc;
        if (!library.empty()) {
            // Read through a second connection to the other file.
            Handle dbc(SQL_HANDLE_DBC, env_->get());
            std::string text = "DBQ=" + library + ";DRIVER={Microsoft Access Driver (*.mdb)}";
            SQLCHAR out[512];
            SQLSMALLINT length = 0;
            EXPECT_TRUE(SQL_SUCCEEDED(
                SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                 SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT)));
            Handle stmt(SQL_HANDLE_STMT, dbc.get());
            std::string sql = "SELECT category, code, content FROM phrase ORDER BY PhraseID";
            SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
            while (SQL_SUCCEEDED(SQLFetch(stmt.get()))) {
                std::vector<std::string> row;
                for (SQLUSMALLINT c = 1; c <= 3; ++c) {
                    std::vector<char> value(20000);
                    SQLLEN indicator = 0;
                    SQLGetData(stmt.get(), c, SQL_C_CHAR, value.data(),
                               static_cast<SQLLEN>(value.size()), &indicator);
                    row.emplace_back(value.data(), static_cast<std::size_t>(indicator));
                }
                rows.push_back(row);
            }
            SQLFreeStmt(stmt.get(), SQL_CLOSE);
            SQLDisconnect(dbc.get());
            return rows;
        }
        for (const auto& row :
             query("SELECT category, code, content FROM phrase ORDER BY PhraseID")) {
            rows.push_back(
                {row[0].value_or("<null>"), row[1].value_or("<null>"), row[2].value_or("<null>")});
        }
        return rows;
    }

    // A second, empty library beside the first.
    std::string EmptyLibrary(const std::string& name, const std::vector<std::string>& extra = {}) {
        EXPECT_EQ(make_library(work_ / name, extra), 0);
        return name;
    }

    // Rows whose texts break naive tools, as the program itself stores them.
    void InsertHostileRows() {
        Insert("Quotes", "\"q\"", "She said \"hi\", then 'bye'"); // plain apostrophes too
        Insert("Quotes", "marker", "It\xAC`s here, isn\xAC`t it?");
        Insert("SQL", "drop", "'); DROP TABLE phrase; --");
        Insert("SQL", "semi;colon", "a;b,c");
        Insert("Lines", "crlf", "first\r\nsecond\r\n\r\n");
        Insert("Lines", "tab", "a\tb");
        Insert("Accents \xC9t\xE9", "caf\xE9", "\x80 5, na\xEFve \x93quoted\x94 \x85");
        Insert("Accents \xC9t\xE9", "unassigned", "\x81\x8D\x8F\x90\x9D");
        Insert("Limits", std::string(255, 's'), std::string(9215, 'x'));
        Insert(std::string(255, 'C'), "c", "long category");
        Insert("Empty category", "", "");
        Insert("Limits", "empty text", "");
    }
};

TEST_F(LibraryToolTest, HostileCsvIsStoredAsAddPhraseStoresIt) {
    struct Row {
        std::string csvCategory, csvCode, csvContent; // as written in the file (UTF-8)
        std::string category, code, delivered;        // the library's bytes; the delivered text
    };
    const std::vector<Row> rows = {
        {"Quotes", "\"\"\"q\"\"\"", "\"She said \"\"hi\"\", then 'bye'\"", "Quotes", "\"q\"",
         "She said \"hi\", then 'bye'"},
        {"SQL", "x'); DROP TABLE phrase; --", "\"a;b,c\"", "SQL", "x'); DROP TABLE phrase; --",
         "a;b,c"},
        {"Lines", "crlf", "\"one\r\ntwo\nthree\"", "Lines", "crlf", "one\r\ntwo\r\nthree"},
        {"Études", "café", "€ 5 – naïve “quoted”", "\xC9tudes", "caf\xE9",
         "\x80 5 \x96 na\xEFve \x93quoted\x94"},
        {"Limits", std::string(255, 's'), std::string(9215, 'x'), "Limits", std::string(255, 's'),
         std::string(9215, 'x')},
        {"Limits", "apostrophes", std::string(9211, 'x') + "''", "Limits", "apostrophes",
         std::string(9211, 'x') + "''"},
    };
    std::string csv = "category,code,content\r\n";
    for (const Row& row : rows) {
        csv +=
            row.csvCategory + "," +
            (row.csvCode.find(',') != std::string::npos ? "\"" + row.csvCode + "\"" : row.csvCode) +
            "," + row.csvContent + "\r\n";
    }
    WriteBytes("hostile.csv", csv);

    const ToolRun run = RunTool({"import", "hostile.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "imported 6, replaced 0, skipped 0\n");

    const auto stored = Phrases();
    ASSERT_EQ(stored.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(stored[i][0], rows[i].category) << i;
        EXPECT_EQ(stored[i][1], rows[i].code) << i;
        // Apostrophes are stored as the marker, as "Add phrase" does, and delivery turns them
        // back: the text delivered is the text of the file.
        EXPECT_EQ(stored[i][2], EncodeApostrophes(rows[i].delivered)) << i;
        EXPECT_EQ(DecodeApostrophes(stored[i][2]), rows[i].delivered) << i;
    }
}

class RoundTripTest : public LibraryToolTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RoundTripTest, ExportThenImportIntoAnEmptyLibraryDeliversTheSameTexts) {
    InsertHostileRows();
    const std::string file = std::string("library.") + GetParam();
    const ToolRun exported = RunTool({"export", "-o", file});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_TRUE(Contains(exported.err, "exported 12 rows"));

    const std::string other = EmptyLibrary("other.mdb");
    const ToolRun imported = RunTool({"--library", other, "import", file});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "imported 12, replaced 0, skipped 0\n");

    // The same rows, names byte for byte, and every text delivers as it did. (A plain
    // apostrophe, as the editor saves one, comes back as the marker "Add phrase" writes:
    // delivered, both are the same apostrophe.)
    const auto delivered = [](std::vector<std::vector<std::string>> rows) {
        for (auto& row : rows) {
            row[2] = DecodeApostrophes(row[2]);
        }
        return rows;
    };
    auto expected = delivered(Phrases());
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return std::tie(a[0], a[1]) < std::tie(b[0], b[1]);
    });
    auto got = delivered(Phrases(other));
    std::sort(got.begin(), got.end(), [](const auto& a, const auto& b) {
        return std::tie(a[0], a[1]) < std::tie(b[0], b[1]);
    });
    EXPECT_EQ(got, expected);

    const ToolRun again =
        RunTool({"--library", other, "export", "-o", "again." + std::string(GetParam())});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadBytes(work_ / ("again." + std::string(GetParam()))), ReadBytes(work_ / file));
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest, ::testing::Values("csv", "json"));

TEST_F(LibraryToolTest, ExportWritesUtf8OrderedByCategoryThenShortcut) {
    Insert("b", "Z", "it\xAC`s");
    Insert("B", "a", "caf\xE9\r\nnext");
    Insert("A", "x", "plain");
    Insert("\xC9t\xE9", "e", "\x80");
    const ToolRun csv = RunTool({"export"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "category,code,content\r\n"
                       "A,x,plain\r\n"
                       "B,a,\"café\r\nnext\"\r\n"
                       "b,Z,it's\r\n"
                       "Été,e,€\r\n");
    const ToolRun json = RunTool({"export", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "[\n"
              "  {\"category\": \"A\", \"code\": \"x\", \"content\": \"plain\"},\n"
              "  {\"category\": \"B\", \"code\": \"a\", \"content\": \"café\\r\\nnext\"},\n"
              "  {\"category\": \"b\", \"code\": \"Z\", \"content\": \"it's\"},\n"
              "  {\"category\": \"Été\", \"code\": \"e\", \"content\": \"€\"}\n"
              "]\n");
}

TEST_F(LibraryToolTest, RefusedFilesLeaveTheLibraryByteForByte) {
    Insert("Greetings", "hi", "Hello");
    Insert("Greetings", "dear", "Dear Sir");
    const std::string good = "Greetings,new1,fine\r\nOther,new2,fine\r\n";
    struct Case {
        std::string file;
        std::string bytes;
        std::vector<std::string> extra; // more arguments
        std::string message;            // a part of the error
    };
    const std::vector<Case> cases = {
        {"unclosed.csv",
         "category,code,content\r\n" + good + "A,b,\"never closed\r\n",
         {},
         "line 4, field content: the quoted field opened on line 4 is never closed"},
        {"fields.csv",
         "category,code,content\r\n" + good + "A,b\r\n" + good,
         {},
         "line 4: 2 fields"},
        {"utf8.csv",
         "category,code,content\r\n" + good + "A,b,caf\xE9\r\n",
         {},
         "line 4, field content: the text is not valid UTF-8"},
        {"cjk.csv",
         "category,code,content\r\n" + good + "A,中,x\r\n",
         {},
         "line 4, field code: the text holds U+4E2D"},
        {"empty-code.csv",
         "category,code,content\r\n" + good + "A,,text\r\n",
         {},
         "line 4, field code: the shortcut is empty"},
        {"long-code.csv",
         "category,code,content\r\n" + good + "A," + std::string(256, 's') + ",x\r\n",
         {},
         "line 4, field code: the shortcut is 256 bytes"},
        {"long-category.csv",
         "category,code,content\r\n" + good + std::string(256, 'c') + ",s,x\r\n",
         {},
         "line 4, field category: the category is 256 bytes"},
        {"long-text.csv",
         "category,code,content\r\n" + good + "A,s," + std::string(9216, 'x') + "\r\n",
         {},
         "line 4, field content: the text is 9216 bytes"},
        {"keep-both.csv",
         "category,code,content\r\n" + good + "A," + std::string(255, 's') + ",x\r\nA," +
             std::string(255, 'S') + ",y\r\n",
         {"--duplicates", "keep-both"},
         "line 5, field code: to keep both"},
        {"broken.json",
         R"([{"category":"A","code":"b","content":"c"},{"category":"A",)",
         {},
         "record 2 (line 1)"},
        {"number.json",
         R"([{"category":"A","code":"b","content":"c"},{"category":"A","code":1,"content":"c"}])",
         {},
         "record 2 (line 1), at line 1, column 67, field code: must be a string"},
        {"broken.yml",
         "matches:\n  - trigger: a\n    replace: b\n  - trigger: [\n",
         {},
         "line 5: the file is not valid YAML"},
        {"no-replace.yml",
         "matches:\n  - trigger: a\n    replace: b\n  - trigger: c\n",
         {},
         "match 2 (line 4), field replace: missing"},
    };
    const std::string before = ReadBytes(library_path());
    for (const Case& c : cases) {
        WriteBytes(c.file, c.bytes);
        std::vector<std::string> arguments = {"import", c.file};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 2) << c.file << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, c.file + ": " + c.message)) << c.file << ": " << run.err;
        EXPECT_EQ(run.out, "nothing was imported: imported 0, replaced 0, skipped 0\n") << c.file;
        EXPECT_EQ(ReadBytes(library_path()), before) << c.file;
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "2");
}

TEST_F(LibraryToolTest, ALibraryRefusalMidImportRollsEverythingBack) {
    // A library that refuses one shortcut when it is written, as another driver's constraint
    // would: the rows written before it in the same import must go too.
    const fs::path trigger = work_ / "refuse.sql";
    WriteBytes(trigger, "CREATE TRIGGER refuse_poison BEFORE INSERT ON phrase "
                        "WHEN NEW.code = 'poison' BEGIN SELECT RAISE(ABORT, 'poison refused'); END;"
                        "INSERT INTO phrase (category, code, content) VALUES ('Kept', 'k', 'v');");
    const std::string library = EmptyLibrary("refusing.mdb", {trigger.string()});
    const std::string before = ReadBytes(work_ / library);
    WriteBytes("poison.csv",
               "category,code,content\r\nA,one,1\r\nA,two,2\r\nA,poison,3\r\nA,four,4\r\n");

    const ToolRun run = RunTool({"--library", library, "import", "poison.csv"});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Contains(run.err, "at line 4")) << run.err;
    EXPECT_TRUE(Contains(run.err, "poison refused")) << run.err;
    EXPECT_EQ(run.out, "nothing was imported: imported 0, replaced 0, skipped 0\n");
    EXPECT_EQ(ReadBytes(work_ / library), before);
    EXPECT_EQ(Phrases(library), (std::vector<std::vector<std::string>>{{"Kept", "k", "v"}}));
}

TEST_F(LibraryToolTest, DuplicatesAreSkippedReplacedOrKeptAsAsked) {
    Insert("Greetings", "hi", "Hello");
    WriteBytes("dup.csv", "category,code,content\r\nGREETINGS,HI,Howdy\r\nGreetings,new,New\r\n");
    struct Case {
        std::vector<std::string> extra;
        std::string summary;
        std::vector<std::vector<std::string>> rows;
    };
    const std::vector<Case> cases = {
        {{},
         "imported 1, replaced 0, skipped 1",
         {{"Greetings", "hi", "Hello"}, {"Greetings", "new", "New"}}},
        {{"--duplicates", "replace"},
         "imported 1, replaced 1, skipped 0",
         {{"Greetings", "hi", "Howdy"}, {"Greetings", "new", "New"}}},
        {{"--duplicates", "keep-both"},
         "imported 2, replaced 0, skipped 0",
         {{"Greetings", "hi", "Hello"},
          {"GREETINGS", "HI (2)", "Howdy"},
          {"Greetings", "new", "New"}}},
    };
    for (const Case& c : cases) {
        run("DELETE FROM phrase WHERE code <> 'hi'"); // SQL_NO_DATA the first time
        ASSERT_TRUE(SQL_SUCCEEDED(run("UPDATE phrase SET content = 'Hello'")));
        std::vector<std::string> arguments = {"import", "dup.csv"};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const ToolRun tool = RunTool(arguments);
        ASSERT_EQ(tool.status, 0) << tool.err;
        EXPECT_TRUE(Contains(tool.out, "line 2: \"GREETINGS\" / \"HI\"")) << tool.out;
        EXPECT_TRUE(tool.out.ends_with(c.summary + "\n")) << tool.out;
        EXPECT_EQ(Phrases(), c.rows) << c.summary;
    }
}

TEST_F(LibraryToolTest, DryRunReportsAndWritesNothing) {
    Insert("Greetings", "hi", "Hello");
    WriteBytes("dry.json", R"([{"category":"greetings","code":"HI","content":"Howdy"},
                               {"category":"New","code":"n","content":"x"}])");
    const std::string before = ReadBytes(library_path());
    const ToolRun run = RunTool({"import", "dry.json", "--dry-run", "--duplicates", "replace"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "record 1 (line 1): \"greetings\" / \"HI\" in the library: text replaced\n"
                       "dry run, nothing was written; the import would give: imported 1, "
                       "replaced 1, skipped 0\n");
    EXPECT_EQ(ReadBytes(library_path()), before);
    EXPECT_EQ(Phrases(), (std::vector<std::vector<std::string>>{{"Greetings", "hi", "Hello"}}));
}

TEST_F(LibraryToolTest, EspansoMatchesBecomePhrasesOfTheFilesCategory) {
    WriteBytes("work.yml", "matches:\n"
                           "  - trigger: \":sig\"\n"
                           "    replace: \"Best,\\nRené's\"\n"
                           "  - trigger: \":now\"\n"
                           "    replace: \"{{time}}\"\n"
                           "    vars:\n"
                           "      - name: time\n"
                           "        type: date\n");
    const ToolRun run = RunTool({"import", "work.yml"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "match 2 (line 4): skipped, it uses variables\n"
                       "imported 1, replaced 0, skipped 1\n");
    EXPECT_EQ(Phrases(),
              (std::vector<std::vector<std::string>>{{"work", ":sig", "Best,\r\nRen\xE9\xAC`s"}}));
}

TEST_F(LibraryToolTest, AMissingLibraryIsReportedAndNeverCreated) {
    WriteBytes("some.csv", "category,code,content\r\nA,b,c\r\n");
    const std::vector<std::vector<std::string>> commands = {
        {"--library", "missing.mdb", "export"},
        {"--library", "missing.mdb", "import", "some.csv"},
        {"--library", "missing.mdb", "check"},
    };
    for (const auto& arguments : commands) {
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 3) << arguments[2];
        EXPECT_TRUE(Contains(run.err, "there is no library at missing.mdb")) << run.err;
        EXPECT_EQ(run.out, "") << arguments[2];
        EXPECT_FALSE(fs::exists(work_ / "missing.mdb"));
    }
    // The default library is database/phrases.mdb under the current folder.
    fs::create_directories(work_ / "elsewhere");
    fs::current_path(work_ / "elsewhere");
    const ToolRun run = RunTool({"check"});
    fs::current_path(work_);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, "there is no library at database/phrases.mdb")) << run.err;
    EXPECT_FALSE(fs::exists(work_ / "elsewhere" / "database"));
}

TEST_F(LibraryToolTest, FindsTheEngineBesideItselfWithNoEnvironmentSet) {
    Insert("A", "b", "c");
    const ToolRun run = RunTool({"export"}, {.withoutOdbcSysIni = true});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "category,code,content\r\nA,b,c\r\n");
}

TEST_F(LibraryToolTest, ConnectTakesAFullConnectionString) {
    Insert("A", "b", "c");
    const std::string library = EmptyLibrary("my library;1.mdb");
    WriteBytes("in.csv", "category,code,content\r\nX,y,z\r\n");
    const ToolRun imported = RunTool({"--library", library, "import", "in.csv"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const ToolRun exported = RunTool(
        {"--connect", "DRIVER={Microsoft Access Driver (*.mdb)};DBQ={" + library + "}", "export"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "category,code,content\r\nX,y,z\r\n");
    const ToolRun refused = RunTool({"--connect", "DRIVER={No Such Driver}", "check"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(Contains(refused.err, "the library could not be opened")) << refused.err;
}

TEST_F(LibraryToolTest, CheckReportsDuplicatesAndValuesOverTheLimits) {
    Insert("Greetings", "hi", "Hello");
    Insert("Greetings", "bye", "Bye");
    Insert("Empty", "", "");
    Insert("Other", "hi", "not a duplicate: another category");
    ToolRun run = RunTool({"check"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "rows: 4\ncategories: 3\ncategory-only rows: 1\n"
                       "duplicates within a category: 0\nvalues over the limits: 0\n"
                       "the library is clean\n");

    Insert("GREETINGS", "HI", "again");                  // PhraseID 5
    Insert("Greetings", "long", std::string(9216, 'x')); // PhraseID 6
    run = RunTool({"check"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "rows: 6\ncategories: 3\ncategory-only rows: 1\n"
                       "duplicates within a category: 1\nvalues over the limits: 1\n"
                       "duplicate: category \"Greetings\" has the shortcut \"hi\" 2 times: "
                       "PhraseID 1, 5\n"
                       "over the limit: PhraseID 6 (\"Greetings\" / \"long\"): the text is 9216 "
                       "bytes, more than 9215; the program delivers it cut\n"
                       "2 problems found\n");
}

TEST_F(LibraryToolTest, LongRunsShowProgressOnATerminalOnly) {
    std::string csv = "category,code,content\r\n";
    for (int i = 0; i < 2500; ++i) {
        // Numbered so that the export's order (by shortcut) is the file's.
        const std::string n = std::to_string(10000 + i);
        csv += "Many,s" + n + ",text " + n + "\r\n";
    }
    WriteBytes("many.csv", csv);
    const ToolRun piped = RunTool({"import", "many.csv", "--dry-run"});
    EXPECT_FALSE(Contains(piped.err, "importing")) << piped.err;
    const ToolRun shown = RunTool({"import", "many.csv"}, {.stderrOnTerminal = true});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "importing [")) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "2500 of 2500")) << shown.err;
    EXPECT_EQ(shown.out, "imported 2500, replaced 0, skipped 0\n");

    const ToolRun exported = RunTool({"export", "-o", "many-out.csv"}, {.stderrOnTerminal = true});
    ASSERT_EQ(exported.status, 0);
    EXPECT_TRUE(Contains(exported.err, "exporting [")) << exported.err;
    EXPECT_TRUE(ReadBytes(work_ / "many-out.csv") == csv);

    // Below the threshold nothing is drawn, even on a terminal.
    WriteBytes("few.csv", "category,code,content\r\nFew,a,b\r\n");
    const ToolRun few = RunTool({"import", "few.csv"}, {.stderrOnTerminal = true});
    EXPECT_FALSE(Contains(few.err, "importing")) << few.err;
}

TEST_F(LibraryToolTest, CommandLineMistakesAreRefused) {
    WriteBytes("x.txt", "category,code,content\r\nA,b,c\r\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"import"}, "import needs the file to import"},
        {{"import", "x.txt"}, "cannot tell the format of x.txt"},
        {{"import", "x.txt", "--format", "xml"}, "unknown format xml"},
        {{"export", "--format", "espanso"}, "unknown format espanso"},
        {{"export", "--dry-run"}, "--dry-run does not go with export"},
        {{"import", "x.txt", "--duplicates", "merge"}, "unknown --duplicates merge"},
        {{"--library", "a", "--connect", "b", "check"}, "either --library or --connect"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"check", "--verbose"}, "unknown option --verbose"},
    };
    const std::string before = ReadBytes(library_path());
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    }
    // The format named on the command line wins over the file's name.
    const ToolRun run = RunTool({"import", "x.txt", "--format=csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadBytes(library_path()), before);
}

TEST_F(LibraryToolTest, AFailedExportLeavesNoFileBehind) {
    Insert("A", "b", "c");
    fs::create_directories(work_ / "out.csv"); // the name is taken by a folder
    const ToolRun run = RunTool({"export", "-o", "out.csv"});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, "cannot write out.csv")) << run.err;
    EXPECT_FALSE(fs::exists(work_ / "out.csv.part"));
}

} // namespace
} // namespace brevicor::test
