// Test fixture: a fresh library file in database/phrases.mdb under a temporary working folder,
// reached exactly as the program reaches it (driver manager, program connection string).
#pragma once

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brevicor::test {

// The program's connection string; it passes it with length 255, NUL bytes after the text.
inline const std::string kProgramConnection =
    "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}";

struct DiagRecord {
    std::string sqlstate;
    SQLINTEGER native = 0;
    std::string message;
};

std::vector<DiagRecord> diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// SQL string literal the way the program writes one: quotes doubled.
std::string literal(const std::string& bytes);

using Cell = std::optional<std::string>;
using Rows = std::vector<std::vector<Cell>>;

// Owns one ODBC handle.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = nullptr;
};

// Runs `brevicor-newlib OUT schema [extra...]`; returns its exit status.
int make_library(const std::filesystem::path& out, const std::vector<std::string>& extra = {});

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects with the program's string (length 255, NUL padded) unless told otherwise.
    SQLRETURN connect(const std::string& text = kProgramConnection, SQLSMALLINT length = 255);
    void disconnect();

    // SQLPrepare + SQLExecute, as the program does; diagnostics land in last_diag.
    SQLRETURN run(const std::string& sql);
    SQLRETURN run_direct(const std::string& sql);
    // Runs a query and reads every cell completely with SQLGetData (SQL_C_CHAR).
    Rows query(const std::string& sql);
    // First cell of the first row, or fails the test.
    std::string scalar(const std::string& sql);

    std::filesystem::path library_path() const { return work_ / "database" / "phrases.mdb"; }

    std::filesystem::path work_;
    std::filesystem::path old_cwd_;
    std::optional<Handle> env_;
    std::optional<Handle> dbc_;
    bool connected_ = false;
    std::vector<DiagRecord> last_diag;
};

} // namespace brevicor::test
