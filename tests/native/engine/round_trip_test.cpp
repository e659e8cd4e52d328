// Values come back exactly as stored; long texts, buffers the program binds, row counts.
#include "library_fixture.hpp"

#include <sqlite3.h>

#include <cstring>

namespace brevicor::test {
namespace {

class RoundTripTest : public LibraryTest {
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
};

// A text of `n` bytes that shows where it was cut.
std::string numbered_text(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i) {
        s += std::to_string(i) + ",";
    }
    s.resize(n);
    return s;
}

TEST_F(RoundTripTest, HostileValuesComeBackByteForByte) {
    std::string every_byte;
    for (int b = 1; b <= 0xFF; ++b) {
        every_byte += static_cast<char>(b);
    }
    const struct {
        const char* what;
        std::string value;
    } cases[] = {
        {"quotes", "O'Brien's ''double'' '"},
        {"sql in literal", "'); DROP TABLE phrase; --"},
        {"always true", "x' OR '1'='1"},
        {"stored apostrophe pair", "don\xAC\x60t"},
        {"line breaks and controls", "line 1\r\nline 2\n\ttab\x1b\x7f\r"},
        {"blanks kept", "  padded  "},
        {"empty", ""},
        {"looks like a number", "0042"},
        {"every byte 0x01..0xFF", every_byte},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string code = "code" + std::to_string(n++);
        ASSERT_EQ(insert(c.value, code, c.value), SQL_SUCCESS)
            << (last_diag.empty() ? "" : last_diag[0].message);
        const Rows rows =
            query("SELECT category, content FROM phrase WHERE code = " + literal(code));
        ASSERT_EQ(rows.size(), 1U);
        EXPECT_EQ(rows[0][0], c.value);
        EXPECT_EQ(rows[0][1], c.value);
        // And the value is usable as a search key.
        EXPECT_EQ(scalar("SELECT code FROM phrase WHERE category = " + literal(c.value) +
                         " AND code = " + literal(code)),
                  code);
    }
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), std::to_string(n));
}

TEST_F(RoundTripTest, LongContentInTheProgramsBufferIsCutWithWarning) {
    constexpr SQLLEN kBuffer = 9216; // what the program binds
    const struct {
        std::size_t length;
        SQLRETURN expected;
    } cases[] = {
        {9215, SQL_SUCCESS}, {9216, SQL_SUCCESS_WITH_INFO}, {30000, SQL_SUCCESS_WITH_INFO}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text = numbered_text(c.length);
        const std::string code = "len" + std::to_string(c.length);
        ASSERT_EQ(insert("long", code, text), SQL_SUCCESS);

        // Full value through the piecewise reader.
        EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = " + literal(code)), text);

        Handle stmt(SQL_HANDLE_STMT, dbc_->get());
        std::string sql = "SELECT content FROM phrase WHERE code = " + literal(code);
        ASSERT_EQ(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
                  SQL_SUCCESS);
        std::vector<char> buffer(kBuffer, '\x55');
        SQLLEN indicator = 0;
        ASSERT_EQ(SQLBindCol(stmt.get(), 1, SQL_C_CHAR, buffer.data(), kBuffer, &indicator),
                  SQL_SUCCESS);
        ASSERT_EQ(SQLFetch(stmt.get()), c.expected);
        EXPECT_EQ(indicator, static_cast<SQLLEN>(c.length));
        const std::size_t kept = std::min<std::size_t>(c.length, kBuffer - 1);
        EXPECT_EQ(std::string(buffer.data(), kept), text.substr(0, kept));
        EXPECT_EQ(buffer[kept], '\0');
        const auto diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
        if (c.expected == SQL_SUCCESS_WITH_INFO) {
            ASSERT_FALSE(diag.empty());
            EXPECT_EQ(diag[0].sqlstate, "01004");
        } else {
            EXPECT_TRUE(diag.empty());
        }
        EXPECT_EQ(SQLFetch(stmt.get()), SQL_NO_DATA);
    }
}

TEST_F(RoundTripTest, AutoNumberAndCountsConvertToTextAndNumbers) {
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(insert("n", "k" + std::to_string(i), "content " + std::to_string(i)),
                  SQL_SUCCESS);
    }
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    std::string sql = "SELECT content , PhraseID FROM phrase";
    ASSERT_EQ(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
              SQL_SUCCESS);
    char content[64];
    char id_text[16];
    SQLLEN content_len = 0;
    SQLLEN id_len = 0;
    ASSERT_EQ(SQLBindCol(stmt.get(), 1, SQL_C_CHAR, content, sizeof content, &content_len),
              SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(stmt.get(), 2, SQL_C_CHAR, id_text, sizeof id_text, &id_len), SQL_SUCCESS);
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(SQLFetch(stmt.get()), SQL_SUCCESS);
        EXPECT_STREQ(id_text, std::to_string(i + 1).c_str());
        EXPECT_EQ(id_len, static_cast<SQLLEN>(std::to_string(i + 1).size()));
        EXPECT_EQ(std::string(content, static_cast<std::size_t>(content_len)),
                  "content " + std::to_string(i));
    }
    EXPECT_EQ(SQLFetch(stmt.get()), SQL_NO_DATA);

    Handle count(SQL_HANDLE_STMT, dbc_->get());
    sql = "SELECT COUNT(PhraseID) FROM phrase WHERE category = 'N'";
    ASSERT_EQ(SQLExecDirect(count.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
              SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(count.get()), SQL_SUCCESS);
    SQLINTEGER as_number = 0;
    ASSERT_EQ(SQLGetData(count.get(), 1, SQL_C_SLONG, &as_number, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(as_number, 7);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE PhraseID = 7"), "content 6");
}

TEST_F(RoundTripTest, ChangesThatMatchNothingAnswerNoData) {
    ASSERT_EQ(insert("cat", "code", "old"), SQL_SUCCESS);
    const char* misses[] = {
        "UPDATE phrase SET content = 'x' WHERE code = 'none'",
        "UPDATE phrase SET content = 'x' WHERE code = 'code' AND category = 'other'",
        "DELETE FROM phrase WHERE category = 'cat' AND code = 'none'",
        "DELETE FROM phrase WHERE category = 'none'",
    };
    for (const char* sql : misses) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(run(sql), SQL_NO_DATA);
        EXPECT_EQ(run_direct(sql), SQL_NO_DATA);
    }
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'code'"), "old");

    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    std::string sql = "UPDATE phrase SET content = 'new' WHERE code = 'CODE'";
    ASSERT_EQ(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
              SQL_SUCCESS);
    SQLLEN changed = 0;
    ASSERT_EQ(SQLRowCount(stmt.get(), &changed), SQL_SUCCESS);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(run("DELETE FROM phrase WHERE category = 'cat'"), SQL_SUCCESS);
}

TEST_F(RoundTripTest, EachStatementIsSavedAtOnceAndOpenResultsHoldNoLock) {
    // The program never disconnects and may leave a result half read; another program must
    // still see every change and be able to write.
    for (const char* code : {"k1", "k2"}) {
        ASSERT_EQ(insert("saved", code, "v"), SQL_SUCCESS);
    }
    Handle open_cursor(SQL_HANDLE_STMT, dbc_->get());
    std::string sql = "SELECT code FROM phrase WHERE category = 'saved'";
    ASSERT_EQ(SQLExecDirect(open_cursor.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS),
              SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(open_cursor.get()), SQL_SUCCESS);

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(library_path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> other(raw, &sqlite3_close);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other.get(), "SELECT count(*) FROM phrase", -1, &count, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 2);
    sqlite3_finalize(count);
    // No busy timeout here: a lock still held by the driver fails this at once.
    char* error = nullptr;
    EXPECT_EQ(
        sqlite3_exec(other.get(), "UPDATE phrase SET content = 'w'", nullptr, nullptr, &error),
        SQLITE_OK)
        << (error != nullptr ? error : "");
    sqlite3_free(error);

    ASSERT_EQ(SQLFetch(open_cursor.get()), SQL_SUCCESS);
    EXPECT_EQ(SQLFetch(open_cursor.get()), SQL_NO_DATA);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'k2'"), "w");
}

} // namespace
} // namespace brevicor::test
