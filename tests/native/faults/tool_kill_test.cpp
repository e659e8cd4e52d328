// The library tool killed during an import: the library holds either none of the import or
// all of it, and SQLite finds the file sound.
#include "tests/native/faults/fault_support.h"
#include "tests/native/support/library_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

namespace brevicor::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kKillPoints = 12;
constexpr int kImported = 3000;

// Starts the tool on the import with its output thrown away; returns its process.
pid_t StartImport() {
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execl(BREVICOR_LIBRARY_TOOL, BREVICOR_LIBRARY_TOOL, "import", "many.csv",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

class ToolKillTest : public LibraryTest {};

TEST_F(ToolKillTest, AKilledImportLeavesTheLibraryWholeOrUntouched) {
    faults::Watchdog watchdog(std::chrono::seconds(240), "the killed imports");
    InsertRow("Kept", "first", "was there before");
    std::string csv = "category,code,content\r\n";
    for (int i = 0; i < kImported; ++i) {
        csv += "Imported " + std::to_string(i % 30) + ",code " + std::to_string(i) + "," +
               std::string(200, 'i') + "\r\n";
    }
    faults::WriteBytes("many.csv", csv);
    const fs::path library = library_path();
    const std::string pristine = faults::ReadBytes(library);

    // How long a whole import takes here, so that the kills spread over it.
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(StartImport(), &status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a full import works";

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(0, whole.count());
    int untouched = 0;
    for (int point = 0; point < kKillPoints; ++point) {
        SCOPED_TRACE("kill point " + std::to_string(point));
        fs::remove(fs::path(library.string() + "-journal"));
        faults::WriteBytes(library, pristine);
        const pid_t tool = StartImport();
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(tool, SIGKILL);
        waitpid(tool, &status, 0);

        const auto rows = Query("SELECT COUNT(*), SUM(category LIKE 'Imported %') FROM phrase");
        const std::string total = rows.at(0).at(0);
        EXPECT_TRUE(total == "1" || total == std::to_string(kImported + 1))
            << total << " rows: the import landed in part";
        untouched += total == "1" ? 1 : 0;
        EXPECT_EQ(Query("SELECT content FROM phrase WHERE code = 'first'"),
                  (std::vector<std::vector<std::string>>{{"was there before"}}));
        EXPECT_EQ(faults::IntegrityCheck(library), "ok");
        if (HasFailure()) {
            break;
        }
    }
    // Kills spread over the whole run must catch some imports before their commit.
    EXPECT_GT(untouched, 0);
}

} // namespace
} // namespace brevicor::testing
