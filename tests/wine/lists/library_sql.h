#pragma once

#include <string>

// Statements run on the test's library through a connection of the test's own, for rows the
// program itself never writes (a chosen PhraseID, raw stored bytes).
namespace brevicor::testing {

// Runs one statement on database/phrases.mdb; fails the current test when it does not run.
void ExecLibrarySql(const std::string& sql);

// A text value between single quotes, its own quotes doubled.
std::string SqlText(const std::string& value);

} // namespace brevicor::testing
