// People inspect and repair their library with unixODBC's isql; it must work end to end.
#include "library_fixture.hpp"

#include <link.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// In a sanitizer build the driver needs the sanitizer runtimes, which isql does not link:
// hand isql the ones this test process has loaded.
std::string sanitizer_preload() {
    std::string preload;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            const std::string name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            if (name.find("libasan.so") != std::string::npos ||
                name.find("libubsan.so") != std::string::npos) {
                auto& out = *static_cast<std::string*>(data);
                out += (out.empty() ? "" : ":") + name;
            }
            return 0;
        },
        &preload);
    return preload.empty() ? "" : "LD_PRELOAD=" + preload + " ASAN_OPTIONS=detect_leaks=0 ";
}

// Feeds `script` to `isql -b -k <connection>` and collects everything it prints.
Outcome run_isql(const fs::path& folder, const std::string& connection, const std::string& script) {
    const fs::path input = folder / "isql-input.sql";
    std::ofstream(input, std::ios::binary) << script;
    const std::string command = sanitizer_preload() + "isql -b -v -k \"" + connection + "\" < \"" +
                                input.string() + "\" 2>&1";
    Outcome out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buf[4096];
    std::size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        out.output.append(buf, n);
    }
    const int status = pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

class IsqlTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        if (std::system("command -v isql > /dev/null 2>&1") != 0) {
            GTEST_SKIP() << "isql is not installed";
        }
        connection_ = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + library_path().string();
    }
    std::string connection_;
};

TEST_F(IsqlTest, InspectAndRepairALibrary) {
    const Outcome out = run_isql(
        work_, connection_,
        "INSERT INTO phrase (category, code, content) VALUES ('Inspect', 'by-hand', 'typed')\n"
        "UPDATE phrase SET content = 'repaired in isql' WHERE code = 'BY-HAND'\n"
        "SELECT * FROM phrase\n"
        "help phrase\n");
    EXPECT_EQ(out.status, 0) << out.output;
    for (const char* expected : {"repaired in isql", "Inspect", "PhraseID", "category", "content",
                                 "COUNTER", "LONGCHAR", "1 rows fetched"}) {
        EXPECT_NE(out.output.find(expected), std::string::npos)
            << "missing '" << expected << "' in:\n"
            << out.output;
    }
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT content FROM phrase WHERE code = 'by-hand' AND category = 'inspect'"),
              "repaired in isql");
}

TEST_F(IsqlTest, DdlRunsWithoutAFalseError) {
    const Outcome out = run_isql(work_, connection_,
                                 "CREATE TABLE notes (body TEXT)\n"
                                 "CREATE VIEW note_view AS SELECT body FROM notes\n"
                                 "ALTER TABLE notes ADD COLUMN stamp INTEGER\n"
                                 "DROP VIEW note_view\n"
                                 "DROP TABLE notes\n");
    EXPECT_EQ(out.status, 0) << out.output;
    EXPECT_EQ(out.output.find("ERROR"), std::string::npos) << out.output;
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'note%'"), "0");
}

TEST_F(IsqlTest, ReportsTheEnginesMessageForABadStatement) {
    const Outcome out = run_isql(work_, connection_, "SELECT nosuch FROM phrase\n");
    EXPECT_NE(out.output.find("no such column: nosuch"), std::string::npos) << out.output;
}

} // namespace
} // namespace brevicor::test
