// brevicor-newlib builds library files; the sample library it is given must load through the
// driver with the program's text conventions intact.
#include "library_fixture.hpp"

#include <fstream>

namespace fs = std::filesystem;

namespace brevicor::test {
namespace {

const std::string kSample =
    (fs::path(BREVICOR_SCHEMA_SQL).parent_path() / "sample_library.sql").string();

TEST_F(LibraryTest, NewLibraryToolKeepsExistingFilesUnlessForced) {
    ASSERT_EQ(connect(), SQL_SUCCESS);
    ASSERT_EQ(run("INSERT INTO phrase (category, code, content) VALUES ('mine', 'k', 'v')"),
              SQL_SUCCESS);
    disconnect();

    EXPECT_NE(make_library(library_path()), 0);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "1");
    disconnect();

    // A script that fails half way leaves the old file as it was.
    const fs::path broken = work_ / "broken.sql";
    std::ofstream(broken) << "INSERT INTO phrase (category, code, content) VALUES ('a','b','c');\n"
                             "INSERT INTO nowhere VALUES (1);\n";
    EXPECT_NE(make_library(library_path(), {"--force", broken.string()}), 0);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "1");
    disconnect();

    ASSERT_EQ(make_library(library_path(), {"--force"}), 0);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    EXPECT_EQ(scalar("SELECT COUNT(PhraseID) FROM phrase"), "0");
    for (const auto& entry : fs::directory_iterator(work_ / "database")) {
        EXPECT_EQ(entry.path().filename(), "phrases.mdb") << "left behind: " << entry.path();
    }
}

// A mistyped folder is reported, not made: the library would end up where nobody looks.
TEST_F(LibraryTest, NewLibraryToolRefusesAMissingFolder) {
    const fs::path missing = work_ / "no such folder";
    EXPECT_NE(make_library((missing / "phrases.mdb").string()), 0);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(LibraryTest, SampleLibraryUsesTheProgramsTextConventions) {
    ASSERT_EQ(make_library(library_path(), {"--force", kSample}), 0);
    ASSERT_EQ(connect(), SQL_SUCCESS);
    const Rows categories = query("SELECT DISTINCT category FROM phrase ORDER BY category ASC");
    EXPECT_GE(categories.size(), 3U);
    std::string all;
    for (const auto& row : query("SELECT content , PhraseID FROM phrase")) {
        all += row.at(0).value_or("") + "\n";
    }
    EXPECT_NE(all.find("\xAC\x60"), std::string::npos) << "stored apostrophes";
    EXPECT_NE(all.find("\r\n"), std::string::npos) << "line breaks";
    EXPECT_NE(all.find('\xE9'), std::string::npos) << "e acute";
    EXPECT_NE(all.find('\x80'), std::string::npos) << "euro sign";
    EXPECT_EQ(all.find('\''), std::string::npos) << "apostrophes are stored as the byte pair";
    EXPECT_EQ(all.find("\xC3"), std::string::npos) << "text must not be UTF-8";
}

} // namespace
} // namespace brevicor::test
