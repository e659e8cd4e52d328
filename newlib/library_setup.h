// Makes a program folder's database\phrases.mdb ready through the Access driver: creates a
// missing file with the driver's own CREATE_DB, adds the phrase table (and the sample phrases)
// where it is missing, and never changes a library that already has its table.
#pragma once

#include <string>

namespace brevicor {

enum class LibrarySetupOutcome {
    Created,    // the file was made, with the table
    TableAdded, // the file was there without the phrase table
    Unchanged,  // the file already held the phrase table
    Failed,
};

struct LibrarySetupResult {
    LibrarySetupOutcome outcome = LibrarySetupOutcome::Failed;
    std::string message; // one line for the user, success or failure
};

// `folder` ends with a backslash and is the current directory: the program's connection string
// names the library relative to it.
LibrarySetupResult MakeLibraryReady(const std::string& folder, bool withSamples);

} // namespace brevicor
