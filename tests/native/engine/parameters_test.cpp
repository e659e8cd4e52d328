// Statement parameters as generic ODBC clients use them: values bound with SQLBindParameter
// reach the library byte for byte, wide text becomes Windows-1252, the library's limits hold.
#include "library_fixture.hpp"

#include <sqlucode.h>

#include <cstring>

namespace brevicor::test {
namespace {

class ParametersTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
        stmt_.emplace(SQL_HANDLE_STMT, dbc_->get());
        ASSERT_NE(stmt_->get(), nullptr);
    }
    void TearDown() override {
        stmt_.reset(); // before the fixture disconnects
        LibraryTest::TearDown();
    }
    SQLHSTMT st() const { return stmt_->get(); }
    SQLRETURN prepare(std::string sql) {
        return SQLPrepare(st(), reinterpret_cast<SQLCHAR*>(sql.data()),
                          static_cast<SQLINTEGER>(sql.size()));
    }
    SQLRETURN execute() {
        SQLFreeStmt(st(), SQL_CLOSE);
        const SQLRETURN rc = SQLExecute(st());
        last_diag = diagnostics(SQL_HANDLE_STMT, st());
        return rc;
    }
    SQLRETURN bind(SQLUSMALLINT n, SQLSMALLINT c_type, SQLSMALLINT sql_type, const void* value,
                   SQLLEN buffer_length, SQLLEN* indicator) {
        return SQLBindParameter(st(), n, SQL_PARAM_INPUT, c_type, sql_type, 255, 0,
                                const_cast<void*>(value), buffer_length, indicator);
    }
    // Every row of the open cursor, each cell read whole as SQL_C_CHAR.
    Rows fetch_all() {
        Rows rows;
        SQLSMALLINT columns = 0;
        EXPECT_EQ(SQLNumResultCols(st(), &columns), SQL_SUCCESS);
        while (SQLFetch(st()) == SQL_SUCCESS) {
            std::vector<Cell> row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                std::vector<char> buffer(20000);
                SQLLEN indicator = 0;
                EXPECT_EQ(SQLGetData(st(), c, SQL_C_CHAR, buffer.data(),
                                     static_cast<SQLLEN>(buffer.size()), &indicator),
                          SQL_SUCCESS);
                row.push_back(
                    indicator == SQL_NULL_DATA
                        ? Cell{}
                        : Cell{std::string(buffer.data(), static_cast<std::size_t>(indicator))});
            }
            rows.push_back(std::move(row));
        }
        SQLFreeStmt(st(), SQL_CLOSE);
        return rows;
    }
    std::string state() const { return last_diag.empty() ? "" : last_diag[0].sqlstate; }
    std::string message() const { return last_diag.empty() ? "" : last_diag[0].message; }

    std::optional<Handle> stmt_;
};

std::string every_byte() {
    std::string s;
    for (int b = 1; b <= 0xFF; ++b) {
        s += static_cast<char>(b);
    }
    return s;
}

// How the application tells the driver where a SQL_C_CHAR value ends.
enum class Length { Terminated, Counted, BufferOnly };

TEST_F(ParametersTest, HostileValuesRoundTripByteForByteInEveryLengthForm) {
    std::string long_content;
    for (std::size_t i = 0; long_content.size() < 9216; ++i) {
        long_content += std::to_string(i) + ",";
    }
    long_content.resize(9216);
    const struct {
        const char* what;
        std::optional<std::string> value;
    } cases[] = {
        {"quotes", "O'Brien's ''double'' '"},
        {"sql text", "'); DROP TABLE phrase; --"},
        {"always true", "x' OR '1'='1"},
        {"marker inside", "is this a ? or '?'"},
        {"every byte 0x01..0xFF", every_byte()},
        {"9216-byte content", long_content},
        {"empty", ""},
        {"null", std::nullopt},
    };
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
              SQL_SUCCESS);
    // One binding for category and code, read anew at each execution.
    char category[300] = {};
    SQLLEN category_length = 0;
    SQLINTEGER code = 0;
    ASSERT_EQ(bind(1, SQL_C_CHAR, SQL_VARCHAR, category, sizeof category, &category_length),
              SQL_SUCCESS);
    ASSERT_EQ(bind(2, SQL_C_SLONG, SQL_INTEGER, &code, 0, nullptr), SQL_SUCCESS);

    Handle select(SQL_HANDLE_STMT, dbc_->get());
    int stored = 0;
    for (const auto& c : cases) {
        for (const Length form : {Length::Terminated, Length::Counted, Length::BufferOnly}) {
            SCOPED_TRACE(std::string(c.what) + " form " + std::to_string(int(form)));
            ++code;
            const bool fits_category = c.value && c.value->size() <= 255;
            if (fits_category) {
                std::memcpy(category, c.value->data(), c.value->size());
                category[c.value->size()] = 'G'; // past the counted length: must not be read
                category_length = static_cast<SQLLEN>(c.value->size());
            } else {
                category_length = SQL_NULL_DATA;
            }
            // The value in a buffer sized to it, so reading one byte too far is caught by ASan.
            std::vector<char> content;
            SQLLEN content_length = 0;
            SQLLEN* indicator = &content_length;
            if (!c.value) {
                content_length = SQL_NULL_DATA;
            } else {
                content.assign(c.value->begin(), c.value->end());
                switch (form) {
                case Length::Terminated:
                    content.push_back('\0');
                    content_length = SQL_NTS;
                    break;
                case Length::Counted:
                    content.insert(content.end(), {'X', 'Y', '\0'});
                    content_length = static_cast<SQLLEN>(c.value->size());
                    break;
                case Length::BufferOnly:
                    if (content.empty()) {
                        content.push_back('\0'); // an empty value still needs a buffer
                    }
                    indicator = nullptr;
                    break;
                }
            }
            if (!c.value && form == Length::BufferOnly) {
                continue; // NULL needs an indicator
            }
            ASSERT_EQ(bind(3, SQL_C_CHAR, SQL_LONGVARCHAR, content.data(),
                           static_cast<SQLLEN>(content.size()), indicator),
                      SQL_SUCCESS);
            ASSERT_EQ(execute(), SQL_SUCCESS) << message();
            ++stored;
            const Rows rows = query("SELECT category, code, content FROM phrase WHERE PhraseID = " +
                                    std::to_string(stored));
            ASSERT_EQ(rows.size(), 1U);
            EXPECT_EQ(rows[0][0], fits_category ? c.value : std::nullopt);
            EXPECT_EQ(rows[0][1], std::to_string(code));
            EXPECT_EQ(rows[0][2], c.value);
            // The same value finds its row as a search key.
            std::string sql = "SELECT code FROM phrase WHERE content IS ? AND code = ?";
            ASSERT_EQ(SQLPrepare(select.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
                      SQL_SUCCESS);
            ASSERT_EQ(SQLBindParameter(select.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                       255, 0, content.data(), static_cast<SQLLEN>(content.size()),
                                       indicator),
                      SQL_SUCCESS);
            ASSERT_EQ(SQLBindParameter(select.get(), 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER,
                                       0, 0, &code, 0, nullptr),
                      SQL_SUCCESS);
            ASSERT_EQ(SQLExecute(select.get()), SQL_SUCCESS);
            EXPECT_EQ(SQLFetch(select.get()), SQL_SUCCESS);
            SQLFreeStmt(select.get(), SQL_CLOSE);
        }
    }
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), std::to_string(stored));
}

TEST_F(ParametersTest, WideTextBecomesWindows1252OrIsRefusedWithTheCharacterNamed) {
    const struct {
        const char* what;
        std::u16string text;
        std::optional<std::string> stored; // nothing: refused
        const char* named;                 // code point the refusal names
    } cases[] = {
        {"accents", u"caf\u00e9 \u00c9t\u00e9", "caf\xE9 \xC9t\xE9", ""},
        {"euro and typography", u"\u20ac5 \u2018q\u2019 \u2013 \u2122 \u0153",
         "\x80"
         "5 \x91q\x92 \x96 \x99 \x9C",
         ""},
        {"byte 0x81 has no letter and stays itself", u"a\u0081b",
         "a\x81"
         "b",
         ""},
        {"ascii", u"plain 'text'", "plain 'text'", ""},
        {"chinese", u"ok\u4e2d", std::nullopt, "U+4E2D"},
        {"emoji (surrogate pair)", u"\U0001F600", std::nullopt, "U+1F600"},
        {"U+0080 is not the euro byte", u"\u0080", std::nullopt, "U+0080"},
        {"lone surrogate", std::u16string(1, char16_t(0xD800)), std::nullopt, "U+D800"},
    };
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES ('w', ?, ?)"),
              SQL_SUCCESS);
    int stored = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string code = "k" + std::to_string(stored);
        SQLLEN code_length = SQL_NTS;
        // Byte count, with a character after the end that must not be read.
        const std::u16string buffer = c.text + u"\u4e2d";
        SQLLEN text_length = static_cast<SQLLEN>(c.text.size() * sizeof(char16_t));
        ASSERT_EQ(bind(1, SQL_C_CHAR, SQL_VARCHAR, code.c_str(), 0, &code_length), SQL_SUCCESS);
        ASSERT_EQ(bind(2, SQL_C_WCHAR, SQL_WLONGVARCHAR, buffer.data(),
                       static_cast<SQLLEN>(buffer.size() * sizeof(char16_t)), &text_length),
                  SQL_SUCCESS);
        const SQLRETURN rc = execute();
        if (c.stored) {
            ASSERT_EQ(rc, SQL_SUCCESS) << message();
            ++stored;
            EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = " + literal(code)),
                      *c.stored);
        } else {
            EXPECT_EQ(rc, SQL_ERROR);
            EXPECT_EQ(state(), "22018");
            EXPECT_NE(message().find(c.named), std::string::npos) << message();
        }
        EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), std::to_string(stored));
    }
    // Wide search keys compare like the stored bytes: case folded, accents included.
    ASSERT_EQ(prepare("SELECT COUNT(PhraseID) FROM phrase WHERE content = ?"), SQL_SUCCESS);
    const std::u16string key = u"CAF\u00c9 \u00e9T\u00c9";
    ASSERT_EQ(bind(1, SQL_C_WCHAR, SQL_WVARCHAR, key.c_str(), 0, nullptr), SQL_SUCCESS);
    ASSERT_EQ(execute(), SQL_SUCCESS) << message();
    EXPECT_EQ(fetch_all(), (Rows{{Cell{"1"}}}));
}

TEST_F(ParametersTest, LengthLimitsCountStoredBytes) {
    const std::string e_acute = "\xE9";
    std::u16string wide_255(255, u'\u00e9'); // 510 bytes as UTF-8, 255 as stored
    const struct {
        const char* what;
        SQLSMALLINT c_type;
        std::string narrow;
        std::u16string wide;
        bool fits;
    } cases[] = {
        {"255 bytes", SQL_C_CHAR, std::string(255, 'k'), u"", true},
        {"256 bytes", SQL_C_CHAR, std::string(256, 'k'), u"", false},
        {"255 wide accents", SQL_C_WCHAR, "", wide_255, true},
        {"256 wide accents", SQL_C_WCHAR, "", wide_255 + u"\u00e9", false},
    };
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code) VALUES ('c', ?)"), SQL_SUCCESS);
    int stored = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SQLLEN length = SQL_NTS;
        const void* value = c.c_type == SQL_C_CHAR ? static_cast<const void*>(c.narrow.c_str())
                                                   : static_cast<const void*>(c.wide.c_str());
        ASSERT_EQ(bind(1, c.c_type, SQL_VARCHAR, value, 0, &length), SQL_SUCCESS);
        const SQLRETURN rc = execute();
        if (c.fits) {
            EXPECT_EQ(rc, SQL_SUCCESS) << message();
            ++stored;
        } else {
            EXPECT_EQ(rc, SQL_ERROR);
            EXPECT_EQ(state(), "22001");
            EXPECT_NE(message().find("'code'"), std::string::npos) << message();
        }
    }
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), std::to_string(stored));
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase WHERE length(CAST(code AS BLOB)) = 255"),
              "2");
}

TEST_F(ParametersTest, NumbersAndDefaultTypesBindByTheirCType) {
    const SQLINTEGER slong = -2147483647;
    const SQLSMALLINT sshort = -32768;
    const SQLBIGINT sbigint = 1099511627776LL;
    const double real = 2.5;
    const char bigint_text[] = "9007199254740993";
    const std::u16string wide = u"\u20ac";
    const struct {
        const char* what;
        SQLSMALLINT c_type;
        SQLSMALLINT sql_type;
        const void* value;
        const char* type;
        const char* text;
    } cases[] = {
        {"slong", SQL_C_SLONG, SQL_INTEGER, &slong, "integer", "-2147483647"},
        {"long", SQL_C_LONG, SQL_INTEGER, &slong, "integer", "-2147483647"},
        {"sshort", SQL_C_SSHORT, SQL_SMALLINT, &sshort, "integer", "-32768"},
        {"sbigint", SQL_C_SBIGINT, SQL_BIGINT, &sbigint, "integer", "1099511627776"},
        {"double", SQL_C_DOUBLE, SQL_DOUBLE, &real, "real", "2.5"},
        {"default integer", SQL_C_DEFAULT, SQL_INTEGER, &slong, "integer", "-2147483647"},
        {"default double", SQL_C_DEFAULT, SQL_DOUBLE, &real, "real", "2.5"},
        {"default varchar", SQL_C_DEFAULT, SQL_VARCHAR, "ab'c", "text", "ab'c"},
        {"default bigint is text", SQL_C_DEFAULT, SQL_BIGINT, bigint_text, "text",
         "9007199254740993"},
        {"default wide", SQL_C_DEFAULT, SQL_WVARCHAR, wide.c_str(), "text", "\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(prepare("SELECT typeof(?1), ?1"), SQL_SUCCESS);
        ASSERT_EQ(bind(1, c.c_type, c.sql_type, c.value, 0, nullptr), SQL_SUCCESS);
        ASSERT_EQ(execute(), SQL_SUCCESS) << message();
        EXPECT_EQ(fetch_all(), (Rows{{Cell{c.type}, Cell{c.text}}}));
    }
}

TEST_F(ParametersTest, BytesDeclaredAsCharacterDataAreStoredAsText) {
    const char bytes[] = "caf\xE9";
    SQLLEN length = 4;
    const struct {
        SQLSMALLINT sql_type;
        const char* stored;
    } cases[] = {{SQL_VARCHAR, "text"},
                 {SQL_LONGVARCHAR, "text"},
                 {SQL_WVARCHAR, "text"},
                 {SQL_VARBINARY, "blob"},
                 {SQL_LONGVARBINARY, "blob"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql_type);
        ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', ?)"),
                  SQL_SUCCESS);
        ASSERT_EQ(bind(1, SQL_C_BINARY, c.sql_type, bytes, 4, &length), SQL_SUCCESS);
        ASSERT_EQ(execute(), SQL_SUCCESS) << message();
        EXPECT_EQ(scalar("SELECT typeof(content) FROM phrase"), c.stored);
        if (std::string(c.stored) == "text") {
            // It reads back as the text it is, and finds itself as text does.
            EXPECT_EQ(scalar("SELECT content FROM phrase WHERE content = 'CAF\xC9'"), "caf\xE9");
        }
        ASSERT_EQ(run("DELETE FROM phrase"), SQL_SUCCESS);
    }
}

TEST_F(ParametersTest, MarkersAreCountedAndDescribedBeforeExecution) {
    const struct {
        const char* sql;
        SQLSMALLINT markers;
    } cases[] = {
        {"SELECT code FROM phrase", 0},
        {"SELECT code FROM phrase WHERE category = ? AND code = ?", 2},
        {"SELECT code FROM phrase WHERE code = '?' AND category = ? -- ?", 1},
        {"INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        ASSERT_EQ(prepare(c.sql), SQL_SUCCESS);
        SQLSMALLINT markers = -1;
        ASSERT_EQ(SQLNumParams(st(), &markers), SQL_SUCCESS);
        EXPECT_EQ(markers, c.markers);
        for (SQLUSMALLINT n = 1; n <= c.markers + 1; ++n) {
            SQLSMALLINT type = 0;
            SQLULEN size = 0;
            const SQLRETURN rc = SQLDescribeParam(st(), n, &type, &size, nullptr, nullptr);
            if (n <= c.markers) {
                EXPECT_EQ(rc, SQL_SUCCESS);
                EXPECT_EQ(type, SQL_VARCHAR);
                EXPECT_EQ(size, 255U);
            } else {
                EXPECT_EQ(rc, SQL_ERROR);
                EXPECT_EQ(diagnostics(SQL_HANDLE_STMT, st()).at(0).sqlstate, "07009");
            }
        }
    }
    // Text the engine rejects still prepares; SQLExecute reports the engine's reason.
    ASSERT_EQ(prepare("SELEC code FROM phrase WHERE code = ?"), SQL_SUCCESS);
    SQLLEN nts = SQL_NTS;
    ASSERT_EQ(bind(1, SQL_C_CHAR, SQL_VARCHAR, "k", 0, &nts), SQL_SUCCESS);
    EXPECT_EQ(execute(), SQL_ERROR);
    EXPECT_EQ(state(), "42000");
    EXPECT_NE(message().find("SELEC"), std::string::npos) << message();
}

TEST_F(ParametersTest, MissingValuesFailWithCountFieldErrorAndResetClearsBindings) {
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
              SQL_SUCCESS);
    SQLLEN nts = SQL_NTS;
    ASSERT_EQ(bind(1, SQL_C_CHAR, SQL_VARCHAR, "c", 0, &nts), SQL_SUCCESS);
    ASSERT_EQ(bind(3, SQL_C_CHAR, SQL_VARCHAR, "text", 0, &nts), SQL_SUCCESS);
    EXPECT_EQ(execute(), SQL_ERROR);
    EXPECT_EQ(state(), "07002");
    EXPECT_NE(message().find("parameter 2"), std::string::npos) << message();

    ASSERT_EQ(bind(2, SQL_C_CHAR, SQL_VARCHAR, "k", 0, &nts), SQL_SUCCESS);
    EXPECT_EQ(execute(), SQL_SUCCESS) << message();
    ASSERT_EQ(SQLFreeStmt(st(), SQL_RESET_PARAMS), SQL_SUCCESS);
    EXPECT_EQ(execute(), SQL_ERROR);
    EXPECT_EQ(state(), "07002");
    EXPECT_NE(message().find("parameter 1"), std::string::npos) << message();
    EXPECT_EQ(query("SELECT category, code, content FROM phrase"),
              (Rows{{Cell{"c"}, Cell{"k"}, Cell{"text"}}}));
}

TEST_F(ParametersTest, UnsupportedBindingsAreRefused) {
    SQLINTEGER number = 1;
    SQLLEN at_execution = SQL_LEN_DATA_AT_EXEC(10);
    ASSERT_EQ(prepare("INSERT INTO phrase (code) VALUES (?)"), SQL_SUCCESS);
    const struct {
        const char* what;
        SQLSMALLINT io_type;
        SQLSMALLINT c_type;
        SQLLEN* indicator;
        bool refused_at_bind;
        const char* sqlstate;
    } cases[] = {
        {"output parameter", SQL_PARAM_OUTPUT, SQL_C_SLONG, nullptr, true, "HYC00"},
        {"input-output parameter", SQL_PARAM_INPUT_OUTPUT, SQL_C_SLONG, nullptr, true, "HYC00"},
        {"date structure", SQL_PARAM_INPUT, SQL_C_TYPE_DATE, nullptr, true, "HYC00"},
        {"data at execution", SQL_PARAM_INPUT, SQL_C_CHAR, &at_execution, false, "HYC00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(SQLFreeStmt(st(), SQL_RESET_PARAMS), SQL_SUCCESS);
        const SQLRETURN bound = SQLBindParameter(st(), 1, c.io_type, c.c_type, SQL_INTEGER, 0, 0,
                                                 &number, 0, c.indicator);
        last_diag = diagnostics(SQL_HANDLE_STMT, st());
        if (c.refused_at_bind) {
            EXPECT_EQ(bound, SQL_ERROR);
        } else {
            ASSERT_EQ(bound, SQL_SUCCESS);
            EXPECT_EQ(execute(), SQL_ERROR);
        }
        EXPECT_EQ(state(), c.sqlstate) << message();
    }
    EXPECT_EQ(SQLSetStmtAttr(st(), SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(0), 0),
              SQL_ERROR);
    EXPECT_EQ(diagnostics(SQL_HANDLE_STMT, st()).at(0).sqlstate, "HY024");
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "0");
}

// Arrays of parameter values (SQL_ATTR_PARAMSET_SIZE > 1), as pyodbc's fast_executemany and
// bulk loaders send them.
class ParameterArraysTest : public ParametersTest {
protected:
    static constexpr SQLULEN kSets = 3;
    void SetUp() override {
        ParametersTest::SetUp();
        set_attr(SQL_ATTR_PARAMSET_SIZE, kSets);
        set_attr(SQL_ATTR_PARAMS_PROCESSED_PTR, reinterpret_cast<SQLULEN>(&processed_));
        set_attr(SQL_ATTR_PARAM_STATUS_PTR, reinterpret_cast<SQLULEN>(status_));
    }
    void set_attr(SQLINTEGER attribute, SQLULEN value) {
        ASSERT_EQ(SQLSetStmtAttr(st(), attribute, reinterpret_cast<SQLPOINTER>(value), 0),
                  SQL_SUCCESS);
    }
    // Column-wise arrays of fixed-width text, one per marker.
    struct TextColumn {
        char values[kSets][300] = {};
        SQLLEN lengths[kSets] = {};
    };
    void fill(TextColumn& column, const std::vector<std::string>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::memcpy(column.values[i], values[i].data(), values[i].size());
            column.lengths[i] = static_cast<SQLLEN>(values[i].size());
        }
    }
    void bind_columns(TextColumn* columns, SQLUSMALLINT count) {
        for (SQLUSMALLINT n = 1; n <= count; ++n) {
            ASSERT_EQ(bind(n, SQL_C_CHAR, SQL_VARCHAR, columns[n - 1].values, 300,
                           columns[n - 1].lengths),
                      SQL_SUCCESS);
        }
    }
    std::vector<SQLUSMALLINT> statuses() const { return {status_, status_ + kSets}; }

    SQLULEN processed_ = 99;
    SQLUSMALLINT status_[kSets] = {99, 99, 99};
};

TEST_F(ParameterArraysTest, ColumnWiseArraysSaveEverySetAndReportEach) {
    TextColumn columns[3];
    fill(columns[0], {"c1", "c2", "c3"});
    fill(columns[1], {"k1", "k2", "k3"});
    fill(columns[2], {"one", "caf\xE9", ""});
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
              SQL_SUCCESS);
    bind_columns(columns, 3);
    ASSERT_EQ(execute(), SQL_SUCCESS) << message();
    EXPECT_EQ(processed_, kSets);
    EXPECT_EQ(statuses(), (std::vector<SQLUSMALLINT>(kSets, SQL_PARAM_SUCCESS)));
    SQLLEN count = 0;
    ASSERT_EQ(SQLRowCount(st(), &count), SQL_SUCCESS);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(query("SELECT category, code, content FROM phrase ORDER BY PhraseID"),
              (Rows{{"c1", "k1", "one"}, {"c2", "k2", "caf\xE9"}, {"c3", "k3", ""}}));

    // An array of searched updates: one row count for the whole array; SQL_NO_DATA only when
    // no set changed a row.
    fill(columns[0], {"new", "new", "new"});
    fill(columns[1], {"k1", "absent", "k3"});
    ASSERT_EQ(prepare("UPDATE phrase SET content = ? WHERE code = ?"), SQL_SUCCESS);
    bind_columns(columns, 2);
    ASSERT_EQ(execute(), SQL_SUCCESS) << message();
    ASSERT_EQ(SQLRowCount(st(), &count), SQL_SUCCESS);
    EXPECT_EQ(count, 2);
    fill(columns[1], {"absent", "absent", "absent"});
    EXPECT_EQ(execute(), SQL_NO_DATA);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase WHERE content = 'new'"), "2");
}

TEST_F(ParameterArraysTest, PackedRowWiseBuffersAreReadWhereverTheyLie) {
    // One row: category text (5), its length, code text (7), its length, a 32-bit number, its
    // length; packed without padding, so most fields sit at odd addresses.
    constexpr std::size_t kCategory = 0, kCategoryLength = 5, kCode = 13, kCodeLength = 20,
                          kNumber = 28, kNumberLength = 32, kRow = 40;
    std::vector<char> rows(kSets * kRow + 1);
    char* base = rows.data() + 1; // odd start as well
    const char* codes[] = {"r1", "r22", "r333"};
    for (std::size_t i = 0; i < kSets; ++i) {
        char* row = base + i * kRow;
        const SQLLEN nts = SQL_NTS;
        const SQLLEN four = 4;
        const SQLINTEGER number = static_cast<SQLINTEGER>(100 + i);
        std::memcpy(row + kCategory, "row", 4);
        std::memcpy(row + kCategoryLength, &nts, sizeof nts);
        std::strcpy(row + kCode, codes[i]);
        std::memcpy(row + kCodeLength, &nts, sizeof nts);
        std::memcpy(row + kNumber, &number, sizeof number);
        std::memcpy(row + kNumberLength, &four, sizeof four);
    }
    set_attr(SQL_ATTR_PARAM_BIND_TYPE, kRow);
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
              SQL_SUCCESS);
    ASSERT_EQ(bind(1, SQL_C_CHAR, SQL_VARCHAR, base + kCategory, 5,
                   reinterpret_cast<SQLLEN*>(base + kCategoryLength)),
              SQL_SUCCESS);
    ASSERT_EQ(bind(2, SQL_C_CHAR, SQL_VARCHAR, base + kCode, 7,
                   reinterpret_cast<SQLLEN*>(base + kCodeLength)),
              SQL_SUCCESS);
    ASSERT_EQ(bind(3, SQL_C_SLONG, SQL_INTEGER, base + kNumber, 0,
                   reinterpret_cast<SQLLEN*>(base + kNumberLength)),
              SQL_SUCCESS);
    ASSERT_EQ(execute(), SQL_SUCCESS) << message();
    EXPECT_EQ(processed_, kSets);
    EXPECT_EQ(query("SELECT category, code, content FROM phrase ORDER BY PhraseID"),
              (Rows{{"row", "r1", "100"}, {"row", "r22", "101"}, {"row", "r333", "102"}}));
}

TEST_F(ParameterArraysTest, AFailingSetSavesNoSetAndSaysWhichFailed) {
    TextColumn columns[3];
    fill(columns[0], {"c", "c", "c"});
    fill(columns[1], {"ok1", std::string(256, 'x'), "ok3"}); // the second is too long
    fill(columns[2], {"v", "v", "v"});
    ASSERT_EQ(prepare("INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
              SQL_SUCCESS);
    bind_columns(columns, 3);
    EXPECT_EQ(execute(), SQL_ERROR);
    EXPECT_EQ(state(), "22001");
    EXPECT_NE(message().find("Parameter set 2 of 3"), std::string::npos) << message();
    EXPECT_EQ(processed_, 2U);
    EXPECT_EQ(statuses(),
              (std::vector<SQLUSMALLINT>{SQL_PARAM_UNUSED, SQL_PARAM_ERROR, SQL_PARAM_UNUSED}));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "0");

    // Sets the application marks SQL_PARAM_IGNORE are skipped: here the faulty one.
    SQLUSMALLINT operations[kSets] = {SQL_PARAM_PROCEED, SQL_PARAM_IGNORE, SQL_PARAM_PROCEED};
    set_attr(SQL_ATTR_PARAM_OPERATION_PTR, reinterpret_cast<SQLULEN>(operations));
    EXPECT_EQ(execute(), SQL_SUCCESS) << message();
    EXPECT_EQ(statuses(),
              (std::vector<SQLUSMALLINT>{SQL_PARAM_SUCCESS, SQL_PARAM_UNUSED, SQL_PARAM_SUCCESS}));
    EXPECT_EQ(query("SELECT code FROM phrase ORDER BY PhraseID"), (Rows{{"ok1"}, {"ok3"}}));
}

TEST_F(ParameterArraysTest, QueriesTakeOneSetAndTheDriverSaysSo) {
    TextColumn columns[1];
    fill(columns[0], {"a", "b", "c"});
    ASSERT_EQ(prepare("SELECT code FROM phrase WHERE code = ?"), SQL_SUCCESS);
    bind_columns(columns, 1);
    EXPECT_EQ(execute(), SQL_ERROR);
    EXPECT_EQ(state(), "HYC00");
    SQLUINTEGER answer = 0;
    ASSERT_EQ(SQLGetInfo(dbc_->get(), SQL_PARAM_ARRAY_SELECTS, &answer, sizeof answer, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(answer, static_cast<SQLUINTEGER>(SQL_PAS_NO_SELECT));
    ASSERT_EQ(SQLGetInfo(dbc_->get(), SQL_PARAM_ARRAY_ROW_COUNTS, &answer, sizeof answer, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(answer, static_cast<SQLUINTEGER>(SQL_PARC_NO_BATCH));
}

} // namespace
} // namespace brevicor::test
