#pragma once

#include "tests/native/engine/library_fixture.hpp"

#include <string>
#include <vector>

// The engine's library fixture (a fresh library file per test, in a temporary folder made the
// current directory, so that the store's relative connection string finds it), with the store
// reset around each test and its trace lines collected.
//
// With BREVICOR_TEST_TEAM_ODBCSYSINI set to a team folder, the same tests run against the team
// library on its server instead: the store reaches it through the same connection string, and
// each test starts from empty tables there.
namespace brevicor::testing {

// Whether this run's library is the team library on its server.
bool TeamLibrary();

// For what only a library file can show (a missing or read-only file, its bytes).
#define SKIP_FOR_TEAM_LIBRARY(why)                                                                 \
    if (::brevicor::testing::TeamLibrary())                                                        \
    GTEST_SKIP() << "a file library only: " << (why)

// Every byte value but NUL, in order. A team library's server refuses the five that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), so there they are left out.
std::string EveryByte();

class LibraryTest : public brevicor::test::LibraryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs SQL on the library through a connection of the test's own, not the store's.
    void Exec(const std::string& sql);
    // Every row of a query, each column as text (NULL as "<null>").
    std::vector<std::vector<std::string>> Query(const std::string& sql);
    // Inserts a row directly and returns its PhraseID.
    int InsertRow(const std::string& category, const std::string& code, const std::string& content);

    // Removes the library file, so that the store finds none.
    void RemoveLibrary();

    std::string TakeTrace();
};

} // namespace brevicor::testing
