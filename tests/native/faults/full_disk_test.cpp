// A library on a disk that fills up: writes fail with the driver's reason, nothing written
// before is lost, the file stays sound, and writes succeed again once space is freed.
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"
#include "tests/native/faults/fault_support.h"
#include "tests/native/support/fake_controls.h"
#include "tests/native/support/library_fixture.h"

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace brevicor::testing {
namespace {

namespace fs = std::filesystem;

// A small tmpfs of the test's own; unmounted with the object.
class SmallDisk {
public:
    SmallDisk(const fs::path& where, const char* size) : m_where(where) {
        fs::create_directories(where);
        const std::string options = std::string("size=") + size;
        m_mounted = mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
        m_error = m_mounted ? 0 : errno;
    }
    ~SmallDisk() {
        if (m_mounted) {
            umount2(m_where.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    std::string Error() const { return std::strerror(m_error); }
    unsigned long long FreeBytes() const {
        struct statvfs info {};
        statvfs(m_where.c_str(), &info);
        return static_cast<unsigned long long>(info.f_bavail) * info.f_frsize;
    }

private:
    fs::path m_where;
    bool m_mounted = false;
    int m_error = 0;
};

class FullDiskTest : public LibraryTest {
protected:
    WriteResult Add(const std::string& code, const std::string& content) {
        FakeComboBox category;
        category.AppendItem("Full");
        category.SetCurSel(0);
        return AddPhrase(category, code, content);
    }
};

TEST_F(FullDiskTest, WritesFailWithTheReasonKeepEverythingAndResumeWhenSpaceIsFreed) {
    ASSERT_TRUE(EnsureHistoryTable().stored);
    ResetStore();
    const fs::path disk = work_ / "disk";
    SmallDisk small(disk, "4m");
    if (!small.Mounted()) {
        GTEST_SKIP() << "a tmpfs cannot be mounted here (" << small.Error()
                     << "); the test needs root, as in CI";
    }
    fs::create_directories(disk / "database");
    fs::copy_file(library_path(), disk / "database" / "phrases.mdb");
    fs::current_path(disk); // the store finds database/phrases.mdb on the small disk
    // Leave little room, so that a few phrases fill it.
    const fs::path filler = disk / "filler";
    faults::WriteBytes(filler, std::string(small.FreeBytes() - 160 * 1024, 'f'));

    const std::string content(3000, 'c');
    std::vector<std::string> stored;
    WriteResult refused;
    for (int i = 0; i < 1000 && refused.message.empty(); ++i) {
        const std::string code = "p" + std::to_string(i);
        WriteResult result = Add(code, content);
        if (result.stored) {
            stored.push_back(code);
        } else {
            refused = result;
        }
    }
    ASSERT_FALSE(refused.message.empty()) << "the disk filled up";
    EXPECT_GT(stored.size(), 5u) << "some phrases fitted before";
    EXPECT_NE(refused.message.find("full"), std::string::npos) << refused.message;
    // A recorded write needs room for its history and fails the same way, whole.
    DeleteResult deleted = DeletePhrase("Full", stored.front());
    if (!deleted.write.stored) {
        EXPECT_NE(deleted.write.message.find("full"), std::string::npos) << deleted.write.message;
    }

    // Everything written before is there, and the file is sound.
    const auto count = [&](const std::string& sql) { return std::stoul(Query(sql)[0][0]); };
    const unsigned long expected = stored.size() - (deleted.write.stored ? 1 : 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM phrase WHERE category = 'Full' AND LENGTH(content) = "
                    "3000"),
              expected);
    EXPECT_EQ(count("SELECT COUNT(*) FROM phrase_history"), deleted.write.stored ? 1ul : 0ul);
    EXPECT_EQ(faults::IntegrityCheck(disk / "database" / "phrases.mdb"), "ok");

    // Room again: the same store, still connected, writes again.
    fs::remove(filler);
    EXPECT_TRUE(Add("after", content).stored);
    EXPECT_TRUE(DeletePhrase("Full", stored.back()).write.stored);
    EXPECT_EQ(count("SELECT COUNT(*) FROM phrase WHERE code = 'after'"), 1ul);
    EXPECT_EQ(faults::IntegrityCheck(disk / "database" / "phrases.mdb"), "ok");

    ResetStore(); // the small disk goes with the test: nothing may still hold its file
    fs::current_path(work_);
}

} // namespace
} // namespace brevicor::testing
