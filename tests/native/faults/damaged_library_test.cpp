// Libraries that cannot be read: the store says so, with the driver's reason, and neither the
// store nor the engine writes a byte into the file or leaves a journal beside it.
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "tests/native/faults/fault_support.h"
#include "tests/native/support/library_fixture.h"

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <random>

namespace brevicor::testing {
namespace {

namespace fs = std::filesystem;
using faults::FolderListing;
using faults::ReadBytes;
using faults::WriteBytes;

class DamagedLibraryTest : public LibraryTest {
protected:
    // A library big enough that cutting it loses pages the category query needs.
    std::string FullLibraryBytes() {
        Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
             "INSERT INTO phrase (category, code, content) SELECT 'Category ' || (i % 40), "
             "'code ' || i, printf('%.300c', 'x') FROM n");
        return ReadBytes(library_path());
    }
};

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(20261211);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

void MakeDatabaseWithoutPhrases(const fs::path& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes (line TEXT); INSERT INTO notes VALUES ('a')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(DamagedLibraryTest, AnUnreadableLibraryIsReportedAndNeverWritten) {
    const std::string full = FullLibraryBytes();
    const fs::path library = library_path();
    const struct {
        const char* name;
        std::function<void()> make;
        const char* reason; // a part of the driver's reason
    } cases[] = {
        {"random bytes", [&] { WriteBytes(library, RandomBytes(64 * 1024)); },
         "file is not a database"},
        {"a truncated library", [&] { WriteBytes(library, full.substr(0, full.size() / 3)); },
         "malformed"},
        {"a zero-length file", [&] { WriteBytes(library, ""); }, "no such table"},
        {"no phrase table", [&] { MakeDatabaseWithoutPhrases(library); }, "no such table"},
        {"a folder in place of the file", [&] { fs::create_directory(library); },
         "Could not find the library file"},
        {"a missing file", [] {}, "Could not find the library file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetStore();
        fs::remove_all(library);
        c.make();
        const bool isFile = fs::is_regular_file(library);
        const std::string before = isFile ? ReadBytes(library) : "";
        const std::string folderBefore = FolderListing(library.parent_path());

        EXPECT_FALSE(LoadCategoryList());
        EXPECT_NE(LastDriverMessage().find(c.reason), std::string::npos) << LastDriverMessage();
        EXPECT_TRUE(CategoryList().empty());
        // A later write of the program's (its history table) must not make the file a library.
        EXPECT_FALSE(EnsureHistoryTable().stored);
        ResetStore(); // the connection lets go of the file before it is compared

        EXPECT_EQ(FolderListing(library.parent_path()), folderBefore) << "no journal, no copy";
        EXPECT_EQ(fs::is_regular_file(library), isFile);
        if (isFile) {
            EXPECT_TRUE(ReadBytes(library) == before) << "the file is byte for byte unchanged";
        }
    }
}

TEST_F(DamagedLibraryTest, ASoundLibraryIsReadAndGainsItsHistory) {
    InsertRow("Work", "hello", "Hi");
    EXPECT_TRUE(LoadCategoryList());
    EXPECT_EQ(CategoryList(), std::vector<std::string>{"Work"});
    EXPECT_TRUE(EnsureHistoryTable().stored);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM phrase_history"),
              (std::vector<std::vector<std::string>>{{"0"}}));
}

} // namespace
} // namespace brevicor::testing
