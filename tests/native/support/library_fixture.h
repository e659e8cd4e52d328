#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// A fresh library file per test, in a temporary folder that is made the current directory, so
// that the store's relative connection string finds it. The store is reset around each test,
// and its trace lines are collected.
namespace brevicor::testing {

class LibraryTest : public ::testing::Test {
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

    std::filesystem::path m_folder;
    std::filesystem::path m_libraryPath;

private:
    std::filesystem::path m_previousDir;
};

} // namespace brevicor::testing
