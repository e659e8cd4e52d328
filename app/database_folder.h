#pragma once

#include <string>

namespace brevicor {

// The folder of an executable's full path, up to and including its last backslash; empty for a
// path without one.
std::string ProgramFolder(const std::string& executablePath);

// Makes the program's folder the current directory and tells whether its `database` subfolder
// holds at least one .mdb file.
bool CheckDatabaseFolder();

} // namespace brevicor
