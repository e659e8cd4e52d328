// Unicode clients (pyodbc, iusql) reach the engine through the wide entry points: their UTF-16
// text must become the same Windows-1252 bytes the program writes, and what they read back
// must be the text they wrote. The program's ANSI connection is untouched by all of this.
#include "library_fixture.hpp"

#include <sqlucode.h>

namespace brevicor::test {
namespace {

SQLWCHAR* wide(std::u16string& s) {
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

class WideTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        std::u16string text(kProgramConnection.begin(), kProgramConnection.end());
        SQLWCHAR out[512];
        SQLSMALLINT out_length = 0;
        ASSERT_EQ(SQLDriverConnectW(dbc_->get(), nullptr, wide(text), SQL_NTS, out, 512,
                                    &out_length, SQL_DRIVER_NOPROMPT),
                  SQL_SUCCESS);
        EXPECT_EQ(
            std::u16string(reinterpret_cast<char16_t*>(out), static_cast<std::size_t>(out_length)),
            text);
        connected_ = true;
    }
    SQLRETURN exec_wide(SQLHSTMT stmt, std::u16string sql) {
        return SQLExecDirectW(stmt, wide(sql), SQL_NTS);
    }
    // The stored bytes, read as the program reads them: a fresh ANSI connection.
    std::string stored(const std::string& sql) {
        Handle env(SQL_HANDLE_ENV, nullptr);
        SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      0);
        Handle dbc(SQL_HANDLE_DBC, env.get());
        std::string text = kProgramConnection;
        SQLCHAR out[512];
        SQLSMALLINT length = 0;
        EXPECT_EQ(SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                   SQL_NTS, out, sizeof out, &length, SQL_DRIVER_NOPROMPT),
                  SQL_SUCCESS);
        std::string value;
        {
            Handle stmt(SQL_HANDLE_STMT, dbc.get());
            EXPECT_EQ(SQLExecDirect(stmt.get(),
                                    reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                                    SQL_NTS),
                      SQL_SUCCESS);
            SQLSMALLINT type = 0;
            SQLCHAR name[64];
            SQLSMALLINT name_length = 0;
            EXPECT_EQ(SQLDescribeCol(stmt.get(), 1, name, sizeof name, &name_length, &type, nullptr,
                                     nullptr, nullptr),
                      SQL_SUCCESS);
            EXPECT_TRUE(type == SQL_VARCHAR || type == SQL_LONGVARCHAR)
                << "the program's ANSI connection sees type " << type;
            if (SQLFetch(stmt.get()) == SQL_SUCCESS) {
                char buffer[512] = {};
                SQLLEN indicator = 0;
                SQLGetData(stmt.get(), 1, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
                value.assign(buffer, static_cast<std::size_t>(std::max<SQLLEN>(indicator, 0)));
            }
        }
        SQLDisconnect(dbc.get());
        return value;
    }
};

TEST_F(WideTest, LiteralsArriveAsWindows1252AndReadBackAsTheSameText) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    ASSERT_EQ(exec_wide(stmt.get(), u"INSERT INTO phrase (category, code, content) VALUES "
                                    u"('c', 'caf\u00e9', '\u00c7a co\u00fbte 5 \u20ac')"),
              SQL_SUCCESS);
    EXPECT_EQ(stored("SELECT content FROM phrase"), "\xC7"
                                                    "a co\xFBte 5 \x80");
    // A literal in a condition finds the row, ignoring case as the program's queries do.
    ASSERT_EQ(exec_wide(stmt.get(), u"SELECT content AS pr\u00e9cis FROM phrase "
                                    u"WHERE code = 'CAF\u00c9'"),
              SQL_SUCCESS);
    SQLWCHAR name[32];
    SQLSMALLINT name_length = 0;
    SQLSMALLINT type = 0;
    ASSERT_EQ(
        SQLDescribeColW(stmt.get(), 1, name, 32, &name_length, &type, nullptr, nullptr, nullptr),
        SQL_SUCCESS);
    EXPECT_EQ(
        std::u16string(reinterpret_cast<char16_t*>(name), static_cast<std::size_t>(name_length)),
        u"pr\u00e9cis");
    // Described as wide text, so Unicode clients fetch UTF-16 rather than guess at bytes.
    EXPECT_EQ(type, SQL_WLONGVARCHAR);
    SQLLEN concise = 0;
    ASSERT_EQ(SQLColAttributeW(stmt.get(), 1, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &concise),
              SQL_SUCCESS);
    EXPECT_EQ(concise, SQL_WLONGVARCHAR);
    ASSERT_EQ(SQLFetch(stmt.get()), SQL_SUCCESS);
    SQLWCHAR value[64];
    SQLLEN indicator = 0;
    ASSERT_EQ(SQLGetData(stmt.get(), 1, SQL_C_WCHAR, value, sizeof value, &indicator), SQL_SUCCESS);
    EXPECT_EQ(
        std::u16string(reinterpret_cast<char16_t*>(value), static_cast<std::size_t>(indicator) / 2),
        u"\u00c7a co\u00fbte 5 \u20ac");
}

TEST_F(WideTest, TextWindows1252CannotHoldIsRefusedWithTheCharacterNamed) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    ASSERT_EQ(exec_wide(stmt.get(), u"INSERT INTO phrase (category, code, content) VALUES "
                                    u"('c', 'k', 'old')"),
              SQL_SUCCESS);
    const std::u16string refused[] = {
        u"UPDATE phrase SET content = '\u65e5\u672c'",
        u"UPDATE phrase SET content = 'emoji \U0001F600'",
    };
    for (const auto& sql : refused) {
        std::u16string text = sql;
        EXPECT_EQ(SQLPrepareW(stmt.get(), wide(text), SQL_NTS), SQL_ERROR);
        SQLWCHAR state[6];
        SQLWCHAR message[512];
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        ASSERT_EQ(
            SQLGetDiagRecW(SQL_HANDLE_STMT, stmt.get(), 1, state, &native, message, 512, &length),
            SQL_SUCCESS);
        EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(state), 5), u"22018");
        const std::u16string text_of(reinterpret_cast<char16_t*>(message),
                                     static_cast<std::size_t>(length));
        EXPECT_TRUE(text_of.find(u"U+65E5") != std::u16string::npos ||
                    text_of.find(u"U+1F600") != std::u16string::npos);
    }
    EXPECT_EQ(stored("SELECT content FROM phrase"), "old");
}

TEST_F(WideTest, DiagnosticsAndInformationComeBackAsUtf16) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    EXPECT_EQ(exec_wide(stmt.get(), u"SELECT * FROM nowhere"), SQL_ERROR);
    SQLWCHAR state[6];
    SQLWCHAR small[8];
    SQLSMALLINT length = 0;
    // A message cut to the buffer still reports its whole length.
    ASSERT_EQ(SQLGetDiagRecW(SQL_HANDLE_STMT, stmt.get(), 1, state, nullptr, small, 8, &length),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(state), 5), u"42S02");
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(small)), u"[Brevic");
    EXPECT_GT(length, 20);

    SQLWCHAR name[64];
    SQLSMALLINT bytes = 0;
    ASSERT_EQ(SQLGetInfoW(dbc_->get(), SQL_DBMS_NAME, name, sizeof name, &bytes), SQL_SUCCESS);
    EXPECT_EQ(
        std::u16string(reinterpret_cast<char16_t*>(name), static_cast<std::size_t>(bytes) / 2),
        u"Brevicor library");
}

} // namespace
} // namespace brevicor::test
