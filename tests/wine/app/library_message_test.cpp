// The real brevicor.exe started on a library it cannot use: one warning names the file, the
// driver's reason and what to do; once it is answered the program runs on with the tray icon
// and a menu that holds only the Toolbox, and the file is left byte for byte as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/wine/app/program_process.h"
#include "tests/wine/lists/library_sql.h"

#include <sql.h>
#include <sqlext.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace brevicor::testing;

constexpr char kCaption[] = "Brevicor - Phrase Library";

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<none>";
    }
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

// The names in a folder, sorted by the file system's own order.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

// All the texts of a message box, however long.
std::string BoxText(HWND box) {
    std::string text;
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        char part[4096] = {};
        GetWindowTextA(child, part, sizeof part);
        text += part;
    }
    return text;
}

struct DamageCase {
    const char* name;
    // Makes the library at the given path (the program folder's database\phrases.mdb).
    std::function<void(const std::string& library)> make;
    const char* reason;  // a part of the reason the message gives
    bool locked = false; // held by another program until the message has been answered
    const char* advice = "start Brevicor again"; // a part of what the message says to do
    bool fileKept = true; // false for a sound library, which gains its phrase history
};

// Another program's hold on a library: an exclusive transaction kept open, through the
// engine, until the object goes. `relativePath` is from the test's own folder.
class LibraryHold {
public:
    explicit LibraryHold(const std::string& relativePath) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        std::string connection =
            "DBQ=" + relativePath + ";DRIVER={Microsoft Access Driver (*.mdb)}";
        m_connected = SQL_SUCCEEDED(
            SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()), SQL_NTS,
                             nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        m_held = m_connected && Run("BEGIN EXCLUSIVE");
    }
    ~LibraryHold() {
        if (m_held) {
            Run("ROLLBACK");
        }
        if (m_connected) {
            SQLDisconnect(m_dbc);
        }
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    LibraryHold(const LibraryHold&) = delete;
    LibraryHold& operator=(const LibraryHold&) = delete;

    bool Held() const { return m_held; }

private:
    bool Run(std::string sql) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt);
        bool done = SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()),
                                                static_cast<SQLINTEGER>(sql.size())));
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return done;
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
    bool m_held = false;
};

std::string RandomBytes(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 20261211;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Starts the program on the case's library and checks the message, the program after it and
// the file.
// The program's folder is made under the test's own, unless one is given.
void RunCase(const DamageCase& c, std::string folder = "") {
    SCOPED_TRACE(c.name);
    // The database folder holds another library as well, so that the folder check at
    // start-up passes and the program reaches its library.
    const std::string name = std::string("damaged ") + c.name;
    if (folder.empty()) {
        folder = MakeProgramFolder(name, Database::Library);
    }
    std::string database = folder + "\\database";
    std::string library = database + "\\phrases.mdb";
    ASSERT_TRUE(MoveFileA(library.c_str(), (database + "\\backup.mdb").c_str()));
    c.make(library);
    const std::string bytesBefore = ReadWholeFile(library);
    const std::vector<std::string> namesBefore = FolderNames(database);

    std::unique_ptr<LibraryHold> hold;
    if (c.locked) {
        hold = std::make_unique<LibraryHold>(name + "/database/phrases.mdb");
        ASSERT_TRUE(hold->Held());
    }
    Program program(folder);
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForWindow([](HWND window) {
        return ClassOf(window) == "#32770" && IsWindowVisible(window) && TextOf(window) == kCaption;
    });
    ASSERT_NE(box, nullptr) << "the message comes";
    const std::string text = BoxText(box);
    EXPECT_NE(text.find("\n" + library + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Reason: "), std::string::npos) << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_NE(text.find(c.advice), std::string::npos) << "what to do: " << text;
    hold.reset(); // the other program lets go once the user has been told
    PostMessageA(box, WM_COMMAND, IDOK, 0);

    // The program runs on: the icon is there and no second message follows.
    HWND trayDialog = program.WaitForTrayDialog();
    ASSERT_NE(trayDialog, nullptr);
    ASSERT_TRUE(program.WaitUntil([&] { return ShellHasIcon(trayDialog); }));
    ASSERT_TRUE(program.WaitUntil([&] { return !IsWindow(box); }));
    for (HWND window : program.TopLevelWindows()) {
        EXPECT_FALSE(ClassOf(window) == "#32770" && IsWindowVisible(window))
            << "another window: " << TextOf(window);
    }
    // The first item of the menu is the Toolbox: no category came before it. Down, into
    // it, up to its last command, Exit.
    PostMessageA(trayDialog, 32968, 2005, WM_RBUTTONDOWN);
    HWND menu = program.WaitForWindow(
        [](HWND window) { return ClassOf(window) == "#32768" && IsWindowVisible(window); });
    ASSERT_NE(menu, nullptr) << "the tray menu opens";
    for (UINT key : {VK_DOWN, VK_RIGHT, VK_UP, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    EXPECT_EQ(program.WaitForExit(), 0) << "Exit was the Toolbox's last command";

    if (c.fileKept) {
        EXPECT_TRUE(ReadWholeFile(library) == bytesBefore) << "the file is unchanged";
        EXPECT_EQ(FolderNames(database), namesBefore) << "nothing was added or renamed";
    }
    SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(LibraryMessageTest, AnUnusableLibraryIsNamedOnceAndTheProgramRunsOn) {
    // The test's own library, filled so that cutting it loses pages, and one without phrases.
    ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
    ExecLibrarySql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                   "3000) INSERT INTO phrase (category, code, content) SELECT 'Category ' || "
                   "(i % 40), 'code ' || i, printf('%.300c', 'x') FROM n");
    const std::string full = ReadWholeFile("database\\phrases.mdb");
    ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
    ExecLibrarySql("DROP TABLE phrase");
    const std::string noPhrases = ReadWholeFile("database\\phrases.mdb");
    ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));

    const DamageCase cases[] = {
        {"random bytes", [](const std::string& l) { WriteWholeFile(l, RandomBytes(32768)); },
         "file is not a database", false, "damaged"},
        {"truncated",
         [&](const std::string& l) { WriteWholeFile(l, full.substr(0, full.size() / 3)); },
         "malformed", false, "damaged"},
        {"zero length", [](const std::string& l) { WriteWholeFile(l, ""); }, "no such table", false,
         "damaged"},
        {"no phrase table", [&](const std::string& l) { WriteWholeFile(l, noPhrases); },
         "no such table", false, "damaged"},
        {"folder", [](const std::string& l) { CreateDirectoryA(l.c_str(), nullptr); },
         "Could not find the library file", false, "A folder is in the place"},
        {"missing", [](const std::string&) {}, "Could not find the library file", false,
         "The library file is missing"},
        {"read-only",
         [](const std::string& l) {
             ASSERT_TRUE(CopyFileA("database\\empty.mdb", l.c_str(), FALSE));
             ASSERT_TRUE(SetFileAttributesA(l.c_str(), FILE_ATTRIBUTE_READONLY));
         },
         "read-only", false, "Clear the file's read-only attribute"},
        {"locked",
         [](const std::string& l) {
             ASSERT_TRUE(CopyFileA("database\\empty.mdb", l.c_str(), FALSE));
         },
         "in use by another program", true, "Close that program"},
    };
    for (const DamageCase& c : cases) {
        RunCase(c);
    }
}

// Run by its own test entry, whose driver manager has no driver registered at all.
TEST(LibraryMessageNoDriverTest, WithoutTheDriverTheMessageSaysToInstallIt) {
    RunCase({"no driver",
             [](const std::string& l) {
                 ASSERT_TRUE(CopyFileA("database\\empty.mdb", l.c_str(), FALSE));
             },
             "Driver Manager]", false, "driver is not installed"});
}

// Run by its own test entry, which mounts a small disk for it: a library that can be read but
// hardly written to is named as well.
TEST(LibraryMessageSmallDiskTest, ANearlyFullDriveIsNamed) {
    char disk[MAX_PATH] = {};
    if (GetEnvironmentVariableA("BREVICOR_SMALL_DISK", disk, MAX_PATH) == 0) {
        GTEST_SKIP() << "no small disk was mounted (that needs root, as in CI)";
    }
    std::string folder = std::string("Z:") + disk + "\\program";
    for (char& ch : folder) {
        ch = ch == '/' ? '\\' : ch;
    }
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(BREVICOR_EXE, (folder + "\\brevicor.exe").c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\database").c_str(), nullptr));
    ASSERT_TRUE(
        CopyFileA("database\\empty.mdb", (folder + "\\database\\phrases.mdb").c_str(), FALSE));
    RunCase({"nearly full drive",
             [&](const std::string& l) {
                 ASSERT_TRUE(CopyFileA("database\\empty.mdb", l.c_str(), FALSE));
                 // Fill the disk up to 400 KB.
                 ULARGE_INTEGER free{};
                 ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr));
                 ASSERT_GT(free.QuadPart, 400u * 1024);
                 WriteWholeFile(folder + "\\filler",
                                std::string(static_cast<size_t>(free.QuadPart - 400 * 1024), 'f'));
             },
             "nearly full", false, "Free some space", false},
            folder);
}

} // namespace
