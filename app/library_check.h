#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The start-up check of the phrase library: when the library could not be read, or can be read
// but not kept up to date, the user is told once, with the file, the reason and what to do.
// The program then runs on as before; nothing here touches the file.
namespace brevicor {

inline constexpr char kLibraryMessageCaption[] = "Brevicor - Phrase Library";

// Below this much free space on the library's drive, saving a phrase may fail.
inline constexpr std::uint64_t kLowDiskSpaceBytes = 1024 * 1024;

// What start-up found out about the library file, from the store and the file system.
struct LibraryFacts {
    bool read = false;                      // the category list was read
    std::string driverState;                // the store's last SQLSTATE, when not read
    std::string driverMessage;              // the driver's reason, when not read
    bool exists = false;                    // something is at the library's path
    bool isFolder = false;                  // and it is a folder
    bool readOnly = false;                  // the file carries the read-only attribute
    std::optional<std::uint64_t> freeBytes; // free space on its drive, when known
    std::string server;                     // a team library's server; empty for a file
};

// The message for the user, or nothing when the library is fine. A team library is named by
// its server instead of `fullPath`, and only a failed read concerns it.
std::optional<std::string> LibraryProblemText(const std::string& fullPath,
                                              const LibraryFacts& facts);

// Gathers the facts for database\phrases.mdb under the current folder and, when there is a
// problem, shows it in one warning box. `read` is what loading the category list returned.
void ReportLibraryProblem(bool read);

} // namespace brevicor
