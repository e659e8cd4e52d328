#include "tests/wine/lists/library_sql.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sql.h>
#include <sqlext.h>

namespace brevicor::testing {

void ExecLibrarySql(const std::string& sql) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connection = "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";
    SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()),
                                    SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(rc)) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        std::string text = sql;
        rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                           static_cast<SQLINTEGER>(text.size()));
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << "statement failed: " << sql.substr(0, 200);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    } else {
        ADD_FAILURE() << "the test's own connection failed";
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

std::string SqlText(const std::string& value) {
    std::string quoted = "'";
    for (char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

} // namespace brevicor::testing
