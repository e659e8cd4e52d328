// The program killed at random points while it writes: every write it had finished is in the
// library afterwards, nothing half-done is, and SQLite finds the file sound.
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"
#include "tests/native/faults/fault_support.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

namespace brevicor::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kKillPoints = 200;
constexpr int kMostAcknowledgedBeforeKill = 12;

// Step i of the write stream. Adds are plain statements; edits and deletes are the recorded
// writes (a transaction with the history row), the ones most likely to be caught half-done.
enum class Step { Add, Edit, Delete };

Step StepOf(int i) {
    switch (i % 4) {
    case 2:
        return Step::Edit;
    case 3:
        return Step::Delete;
    default:
        return Step::Add;
    }
}

std::string CategoryOf(int i) {
    return "Category " + std::to_string(i % 5);
}
std::string CodeOf(int i) {
    return "k" + std::to_string(i);
}

// What the library holds after the first n steps: code -> {category, content}, and how many
// history rows they wrote.
struct Model {
    std::map<std::string, std::pair<std::string, std::string>> phrases;
    int historyRows = 0;
};

Model ModelAfter(int n) {
    Model model;
    for (int i = 0; i < n; ++i) {
        switch (StepOf(i)) {
        case Step::Add:
            model.phrases[CodeOf(i)] = {CategoryOf(i), "text " + std::to_string(i)};
            break;
        case Step::Edit:
            model.phrases[CodeOf(i - 2)].second = "edited " + std::to_string(i);
            ++model.historyRows;
            break;
        case Step::Delete:
            model.phrases.erase(CodeOf(i - 3));
            ++model.historyRows;
            break;
        }
    }
    return model;
}

// The child: runs the stream through the store and acknowledges each finished write on `ack`.
[[noreturn]] void WriteUntilKilled(int ack) {
    ResetStore();
    for (int i = 0;; ++i) {
        WriteResult result;
        switch (StepOf(i)) {
        case Step::Add: {
            FakeComboBox category;
            category.AppendItem(CategoryOf(i));
            category.SetCurSel(0);
            result = AddPhrase(category, CodeOf(i), "text " + std::to_string(i));
            break;
        }
        case Step::Edit:
            result = UpdatePhraseContentInCategory(CategoryOf(i - 2), CodeOf(i - 2),
                                                   "edited " + std::to_string(i));
            break;
        case Step::Delete:
            result = DeletePhrase(CategoryOf(i - 3), CodeOf(i - 3)).write;
            break;
        }
        if (!result.stored) {
            _exit(10); // the parent sees the stream end early and fails
        }
        if (write(ack, &i, sizeof i) != static_cast<ssize_t>(sizeof i)) {
            _exit(11);
        }
    }
}

class KillDuringWritesTest : public LibraryTest {};

TEST_F(KillDuringWritesTest, EveryAcknowledgedWriteSurvivesAKill) {
    faults::Watchdog watchdog(std::chrono::seconds(240), "the kill test");
    // The history table exists from the start, as the program makes it at start-up.
    ASSERT_TRUE(EnsureHistoryTable().stored);
    ResetStore();
    const fs::path library = library_path();
    const std::string pristine = faults::ReadBytes(library);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> acknowledged(0, kMostAcknowledgedBeforeKill);
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

    for (int point = 0; point < kKillPoints; ++point) {
        SCOPED_TRACE("kill point " + std::to_string(point));
        fs::remove(fs::path(library.string() + "-journal"));
        faults::WriteBytes(library, pristine);
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            WriteUntilKilled(pipeEnds[1]);
        }
        close(pipeEnds[1]);
        const int wanted = acknowledged(random);
        int acks = 0;
        int step = -1;
        while (acks < wanted && read(pipeEnds[0], &step, sizeof step) == sizeof step) {
            ASSERT_EQ(step, acks) << "acknowledged in order";
            ++acks;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // Acknowledgements that were on their way when the kill came count as well.
        while (read(pipeEnds[0], &step, sizeof step) == sizeof step) {
            ASSERT_EQ(step, acks);
            ++acks;
        }
        close(pipeEnds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ran until killed, status " << status;
        ASSERT_GE(acks, wanted);

        // Read as the program would read it next: through the engine, which recovers the file.
        Model found;
        for (const auto& row : Query("SELECT code, category, content FROM phrase")) {
            found.phrases[row[0]] = {row[1], row[2]};
        }
        found.historyRows = std::stoi(Query("SELECT COUNT(*) FROM phrase_history")[0][0]);
        // Every acknowledged write is there; at most the one in flight landed besides, whole.
        const Model done = ModelAfter(acks);
        const Model inFlight = ModelAfter(acks + 1);
        const bool asDone = found.phrases == done.phrases && found.historyRows == done.historyRows;
        const bool asInFlight =
            found.phrases == inFlight.phrases && found.historyRows == inFlight.historyRows;
        EXPECT_TRUE(asDone || asInFlight)
            << acks << " writes acknowledged, " << found.phrases.size() << " phrases and "
            << found.historyRows << " history rows found";
        EXPECT_EQ(faults::IntegrityCheck(library), "ok");
        if (HasFailure()) {
            break; // one failing point says it; two hundred would bury it
        }
    }
}

} // namespace
} // namespace brevicor::testing
