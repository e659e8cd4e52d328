#pragma once

#include "tests/native/engine/library_fixture.hpp"

#include <string>
#include <vector>

// The engine's library fixture (a fresh library file per test, in a temporary folder made the
// current directory, so that the store's relative connection string finds it), with the store
// reset around each test and its trace lines collected.
namespace brevicor::testing {

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
