// Numbers beyond 32 bits: computed values are described as SQL_BIGINT and read without
// failure, while PhraseID, a 32-bit AutoNumber, refuses values outside its range.
#include "library_fixture.hpp"

#include <cstdint>

namespace brevicor::test {
namespace {

class NumbersTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(connect(), SQL_SUCCESS);
    }
    struct Described {
        SQLSMALLINT type = 0;
        SQLLEN octets = 0;
        std::int64_t value = 0;
        SQLRETURN fetched = SQL_ERROR;
    };
    // Type and octet length of the first column, and its value read with the default C type
    // the type implies.
    Described describe(const std::string& sql) {
        Described d;
        Handle stmt(SQL_HANDLE_STMT, dbc_->get());
        EXPECT_EQ(SQLExecDirect(stmt.get(),
                                reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                                SQL_NTS),
                  SQL_SUCCESS)
            << sql;
        SQLDescribeCol(stmt.get(), 1, nullptr, 0, nullptr, &d.type, nullptr, nullptr, nullptr);
        SQLColAttribute(stmt.get(), 1, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &d.octets);
        if (SQLFetch(stmt.get()) == SQL_SUCCESS) {
            SQLLEN indicator = 0;
            if (d.type == SQL_BIGINT) {
                d.fetched =
                    SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &d.value, sizeof d.value, &indicator);
            } else if (d.type == SQL_INTEGER) {
                SQLINTEGER small = 0;
                d.fetched =
                    SQLGetData(stmt.get(), 1, SQL_C_SLONG, &small, sizeof small, &indicator);
                d.value = small;
            } else {
                d.fetched = SQL_SUCCESS;
            }
        }
        return d;
    }
};

TEST_F(NumbersTest, ValuesBeyond32BitsAreDescribedAsBigint) {
    for (int i = 0; i < 3; ++i) { // PhraseID 1, 2, 3
        ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'k', 'v')"),
                  SQL_SUCCESS);
    }
    const struct {
        const char* sql;
        SQLSMALLINT type;
        SQLLEN octets;
        std::int64_t value;
    } cases[] = {
        {"SELECT 2147483647", SQL_INTEGER, 4, 2147483647},
        {"SELECT 2147483648", SQL_BIGINT, 8, 2147483648LL},
        {"SELECT -2147483649", SQL_BIGINT, 8, -2147483649LL},
        {"SELECT SUM(PhraseID) * 100000000 FROM phrase", SQL_INTEGER, 4, 600000000},
        {"SELECT SUM(PhraseID) * 1000000000 FROM phrase", SQL_BIGINT, 8, 6000000000LL},
        {"SELECT PhraseID FROM phrase", SQL_INTEGER, 4, 1},
        {"SELECT 1.5", SQL_DOUBLE, 8, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const Described d = describe(c.sql);
        EXPECT_EQ(d.type, c.type);
        EXPECT_EQ(d.octets, c.octets);
        EXPECT_EQ(d.fetched, SQL_SUCCESS);
        if (c.type != SQL_DOUBLE) {
            EXPECT_EQ(d.value, c.value);
        }
    }
    EXPECT_EQ(scalar("SELECT 9223372036854775807"), "9223372036854775807");
}

TEST_F(NumbersTest, PhraseIdOutside32BitsIsRefusedOnWrite) {
    const char* refused[] = {
        "INSERT INTO phrase (PhraseID, category, code, content) VALUES (3000000000, 'c', 'k', "
        "'v')",
        "INSERT INTO phrase (PhraseID, category, code, content) VALUES (-2147483649, 'c', 'k', "
        "'v')",
    };
    for (const char* sql : refused) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(run(sql), SQL_ERROR);
        EXPECT_EQ(last_diag.at(0).sqlstate, "22003") << last_diag.at(0).message;
    }
    ASSERT_EQ(run("INSERT INTO phrase (PhraseID, category, code, content) VALUES (2147483647, "
                  "'c', 'last', 'v')"),
              SQL_SUCCESS);
    EXPECT_EQ(run("UPDATE phrase SET PhraseID = 2147483648"), SQL_ERROR);
    EXPECT_EQ(last_diag.at(0).sqlstate, "22003");
    // The next AutoNumber would not fit either.
    EXPECT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('c', 'next', 'v')"),
              SQL_ERROR);
    EXPECT_EQ(last_diag.at(0).sqlstate, "22003");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM phrase"), "1");
    EXPECT_EQ(scalar("SELECT PhraseID FROM phrase"), "2147483647");
}

} // namespace
} // namespace brevicor::test
