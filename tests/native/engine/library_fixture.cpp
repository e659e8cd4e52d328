#include "library_fixture.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace brevicor::test {

std::vector<DiagRecord> diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagRecord> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            SQLGetDiagRec(type, handle, i, state, &native, text, sizeof text, &length);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        out.push_back({reinterpret_cast<char*>(state), native, reinterpret_cast<char*>(text)});
    }
    return out;
}

std::string literal(const std::string& bytes) {
    std::string out = "'";
    for (char c : bytes) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
        handle_ = nullptr;
    }
}

Handle::~Handle() {
    if (handle_ != nullptr) {
        SQLFreeHandle(type_, handle_);
    }
}

int make_library(const fs::path& out, const std::vector<std::string>& extra) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<std::string> args = {BREVICOR_NEWLIB, out.string(), BREVICOR_SCHEMA_SQL};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void LibraryTest::SetUp() {
    // Running the binary by hand works too; ctest sets the same variable.
    setenv("ODBCSYSINI", BREVICOR_ODBC_DIR, 0);
    std::string templ = (fs::temp_directory_path() / "brevicor-engine-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    work_ = templ;
    fs::create_directories(work_ / "database");
    ASSERT_EQ(make_library(library_path()), 0);
    old_cwd_ = fs::current_path();
    fs::current_path(work_);
    env_.emplace(SQL_HANDLE_ENV, nullptr);
    ASSERT_NE(env_->get(), nullptr);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetEnvAttr(env_->get(), SQL_ATTR_ODBC_VERSION,
                                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
    dbc_.emplace(SQL_HANDLE_DBC, env_->get());
    ASSERT_NE(dbc_->get(), nullptr);
}

void LibraryTest::TearDown() {
    disconnect();
    dbc_.reset();
    env_.reset();
    if (!old_cwd_.empty()) {
        fs::current_path(old_cwd_);
    }
    if (!work_.empty()) {
        std::error_code ec;
        fs::permissions(library_path(), fs::perms::owner_all, ec);
        fs::remove_all(work_, ec);
    }
}

SQLRETURN LibraryTest::connect(const std::string& text, SQLSMALLINT length) {
    std::vector<SQLCHAR> buffer(std::max<std::size_t>(text.size() + 1, 256), 0);
    std::copy(text.begin(), text.end(), buffer.begin());
    SQLCHAR out[512] = {};
    SQLSMALLINT out_length = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc_->get(), nullptr, buffer.data(), length, out,
                                          sizeof out, &out_length, SQL_DRIVER_NOPROMPT);
    last_diag = diagnostics(SQL_HANDLE_DBC, dbc_->get());
    connected_ = SQL_SUCCEEDED(rc);
    return rc;
}

void LibraryTest::disconnect() {
    if (connected_) {
        SQLDisconnect(dbc_->get());
        connected_ = false;
    }
}

SQLRETURN LibraryTest::run(const std::string& sql) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    EXPECT_NE(stmt.get(), nullptr);
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data()));
    SQLRETURN rc = SQLPrepare(stmt.get(), text, static_cast<SQLINTEGER>(sql.size()));
    if (SQL_SUCCEEDED(rc)) {
        rc = SQLExecute(stmt.get());
    }
    last_diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
    return rc;
}

SQLRETURN LibraryTest::run_direct(const std::string& sql) {
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data()));
    const SQLRETURN rc = SQLExecDirect(stmt.get(), text, SQL_NTS);
    last_diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
    return rc;
}

Rows LibraryTest::query(const std::string& sql) {
    Rows rows;
    Handle stmt(SQL_HANDLE_STMT, dbc_->get());
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data()));
    const SQLRETURN rc = SQLExecDirect(stmt.get(), text, static_cast<SQLINTEGER>(sql.size()));
    last_diag = diagnostics(SQL_HANDLE_STMT, stmt.get());
    EXPECT_EQ(rc, SQL_SUCCESS) << sql << ": " << (last_diag.empty() ? "" : last_diag[0].message);
    if (!SQL_SUCCEEDED(rc)) {
        return rows;
    }
    SQLSMALLINT columns = 0;
    EXPECT_EQ(SQLNumResultCols(stmt.get(), &columns), SQL_SUCCESS);
    while (SQLFetch(stmt.get()) == SQL_SUCCESS) {
        std::vector<Cell> row;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            // Small pieces on purpose: exercises continued SQLGetData calls.
            std::string value;
            bool is_null = false;
            for (;;) {
                char piece[100];
                SQLLEN indicator = 0;
                const SQLRETURN g =
                    SQLGetData(stmt.get(), c, SQL_C_CHAR, piece, sizeof piece, &indicator);
                if (g == SQL_NO_DATA) {
                    break;
                }
                EXPECT_TRUE(SQL_SUCCEEDED(g));
                if (!SQL_SUCCEEDED(g)) {
                    break;
                }
                if (indicator == SQL_NULL_DATA) {
                    is_null = true;
                    break;
                }
                const auto got = std::min<SQLLEN>(indicator, sizeof piece - 1);
                value.append(piece, static_cast<std::size_t>(got));
                if (g == SQL_SUCCESS) {
                    break;
                }
            }
            row.push_back(is_null ? Cell{} : Cell{value});
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string LibraryTest::scalar(const std::string& sql) {
    const Rows rows = query(sql);
    if (rows.empty() || rows[0].empty() || !rows[0][0]) {
        ADD_FAILURE() << "no value from " << sql;
        return {};
    }
    return *rows[0][0];
}

} // namespace brevicor::test
