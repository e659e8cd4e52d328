// brevicor-newlib.exe as the installer runs it: copied into a program folder and started there,
// reaching the engine through Wine's odbc32. Whatever it meets, it never changes a library
// that is already there, and it says in one line why it could not do its work.
#include <gtest/gtest.h>
#include <windows.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace brevicor {
namespace {

std::string g_sampleLibrary; // Unix path of the sample library the build made from its SQL

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // what it printed, both streams
};

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Starts the tool in `folder` (it finds its library beside itself) and waits for it.
ToolRun RunTool(const std::string& folder, const std::string& arguments = "") {
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string command = "\"" + folder + "\\brevicor-newlib.exe\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        folder.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            run.output.append(buffer, got);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

using Rows = std::vector<std::vector<std::string>>;

// Every phrase of a library in PhraseID order, read through the driver; nullopt when the
// library cannot be read.
std::optional<Rows> ReadPhrases(const std::string& dbq) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::optional<Rows> rows;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string text = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + dbq;
    if (SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                       SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        SQLCHAR sql[] = "SELECT PhraseID, category, code, content FROM phrase ORDER BY PhraseID";
        if (SQL_SUCCEEDED(SQLExecDirect(stmt, sql, SQL_NTS))) {
            rows.emplace();
            while (SQL_SUCCEEDED(SQLFetch(stmt))) {
                std::vector<std::string> row;
                for (SQLUSMALLINT i = 1; i <= 4; ++i) {
                    char cell[4096] = {};
                    SQLLEN length = 0;
                    SQLGetData(stmt, i, SQL_C_CHAR, cell, sizeof cell, &length);
                    row.emplace_back(length == SQL_NULL_DATA ? "<null>" : cell);
                }
                rows->push_back(std::move(row));
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rows;
}

class NewLibraryToolTest : public ::testing::Test {
protected:
    // A program folder of its own below the test's folder, holding a copy of the tool.
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::string("case-") + info->name();
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        ASSERT_TRUE(
            CopyFileA(BREVICOR_NEWLIB_EXE, (m_folder + "\\brevicor-newlib.exe").c_str(), FALSE));
        char full[MAX_PATH] = {};
        GetFullPathNameA(m_folder.c_str(), MAX_PATH, full, nullptr);
        m_fullFolder = full;
    }

    void MakeDatabaseFolder() { ASSERT_TRUE(CreateDirectoryA(Database().c_str(), nullptr)); }
    std::string Database() const { return m_folder + "\\database"; }
    std::string Library() const { return Database() + "\\phrases.mdb"; }
    // The library as the driver on the host reaches it: relative to this test's folder.
    std::string LibraryDbq() const { return m_folder + "/database/phrases.mdb"; }
    ToolRun Tool(const std::string& arguments = "") const {
        return RunTool(m_fullFolder, arguments);
    }

    std::string m_folder;
    std::string m_fullFolder;
};

TEST_F(NewLibraryToolTest, EmptyFileBecomesTheSampleLibrary) {
    MakeDatabaseFolder();
    WriteBytes(Library(), "");
    const ToolRun run = Tool();
    ASSERT_EQ(run.exitCode, 0U) << run.output;
    EXPECT_NE(run.output.find("sample phrases"), std::string::npos) << run.output;

    // Exactly the phrases, in the order and with the bytes, that the build's sample SQL makes.
    const auto made = ReadPhrases(LibraryDbq());
    const auto expected = ReadPhrases(g_sampleLibrary);
    ASSERT_TRUE(made.has_value());
    ASSERT_TRUE(expected.has_value()) << g_sampleLibrary;
    EXPECT_FALSE(expected->empty());
    EXPECT_EQ(*made, *expected);
}

TEST_F(NewLibraryToolTest, EmptyFileGetsAnEmptyTableOnRequest) {
    MakeDatabaseFolder();
    WriteBytes(Library(), "");
    const ToolRun run = Tool("/empty");
    ASSERT_EQ(run.exitCode, 0U) << run.output;
    const auto made = ReadPhrases(LibraryDbq());
    ASSERT_TRUE(made.has_value());
    EXPECT_TRUE(made->empty());
}

TEST_F(NewLibraryToolTest, ExistingLibraryIsLeftByteForByte) {
    MakeDatabaseFolder();
    ASSERT_TRUE(CopyFileA("database\\empty.mdb", Library().c_str(), FALSE));
    ASSERT_EQ(Tool().exitCode, 0U); // gives it phrases of its own
    const auto before = ReadBytes(Library());
    ASSERT_TRUE(before.has_value());
    for (const char* arguments : {"", "/empty"}) {
        SCOPED_TRACE(arguments);
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.exitCode, 0U) << run.output;
        EXPECT_NE(run.output.find("nothing was changed"), std::string::npos) << run.output;
        EXPECT_EQ(ReadBytes(Library()), before);
    }
}

TEST_F(NewLibraryToolTest, WhatCannotBeALibraryIsRefusedAndKept) {
    // Each case lays out the folder, then the tool must fail with its reason and leave every
    // byte as it was.
    struct Case {
        const char* name;
        void (*prepare)(const std::string& database, const std::string& library);
        const char* reason;
    };
    const Case cases[] = {
        {"a text file named like the library",
         [](const std::string& database, const std::string& library) {
             CreateDirectoryA(database.c_str(), nullptr);
             WriteBytes(library, "my own notes, not a database\r\n");
         },
         "cannot open"},
        {"a read-only file without the table",
         [](const std::string& database, const std::string& library) {
             CreateDirectoryA(database.c_str(), nullptr);
             WriteBytes(library, "");
             SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         "cannot add the phrase table"},
        {"a folder named like the library",
         [](const std::string& database, const std::string& library) {
             CreateDirectoryA(database.c_str(), nullptr);
             CreateDirectoryA(library.c_str(), nullptr);
         },
         "is a folder"},
        {"a file where the database folder belongs",
         [](const std::string& database, const std::string&) { WriteBytes(database, "x"); },
         "cannot make the folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case in a program folder of its own.
        const std::string folder = m_folder + "\\" + std::to_string(&c - cases);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ASSERT_TRUE(
            CopyFileA(BREVICOR_NEWLIB_EXE, (folder + "\\brevicor-newlib.exe").c_str(), FALSE));
        c.prepare(folder + "\\database", folder + "\\database\\phrases.mdb");
        const auto before = ReadBytes(folder + "\\database\\phrases.mdb");
        char full[MAX_PATH] = {};
        GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
        const ToolRun run = RunTool(full);
        EXPECT_EQ(run.exitCode, 1U) << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        EXPECT_EQ(ReadBytes(folder + "\\database\\phrases.mdb"), before);
    }
}

TEST_F(NewLibraryToolTest, MissingLibraryNeedsTheDriversSetupLibrary) {
    // Wine's Access driver is the engine on the host, which has no setup library to make a
    // file: the tool says so, and leaves nothing behind.
    const ToolRun run = Tool();
    EXPECT_EQ(run.exitCode, 1U) << run.output;
    EXPECT_NE(run.output.find("could not create"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("no setup library"), std::string::npos) << run.output;
    EXPECT_EQ(GetFileAttributesA(Library().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(NewLibraryToolTest, UnknownArgumentsChangeNothing) {
    MakeDatabaseFolder();
    WriteBytes(Library(), "");
    const ToolRun run = Tool("/overwrite");
    EXPECT_EQ(run.exitCode, 2U);
    EXPECT_NE(run.output.find("usage"), std::string::npos);
    EXPECT_EQ(ReadBytes(Library()), std::string());
}

} // namespace
} // namespace brevicor

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: newlib_wine_tests SAMPLE-LIBRARY-UNIX-PATH\n");
        return 2;
    }
    brevicor::g_sampleLibrary = argv[1];
    return RUN_ALL_TESTS();
}
