#include "app/library_check.h"

#include "store/odbc_session.h"

#include <windows.h>

namespace brevicor {

namespace {

constexpr char kLibraryFile[] = "database\\phrases.mdb";

// The reason and the advice for a library that could not be read.
std::string UnreadAdvice(const LibraryFacts& facts) {
    // The driver manager's own complaints (no driver registered, or its library missing)
    // carry its name; everything else comes from the driver, which was found.
    if (facts.driverState.rfind("IM", 0) == 0 ||
        facts.driverMessage.find("Driver Manager]") != std::string::npos) {
        return "The phrase library driver is not installed or cannot be loaded. Install "
               "Brevicor again, then start Brevicor again.";
    }
    if (facts.driverState == "HYT00") {
        return "Another program is using the library and did not let go in time. Close that "
               "program (or wait until it has finished), then start Brevicor again.";
    }
    if (!facts.exists) {
        return "The library file is missing. Put your library back in that place (from a "
               "backup), or make a new one with the library tool, then start Brevicor again.";
    }
    if (facts.isFolder) {
        return "A folder is in the place of the library file. Move the folder away and put "
               "your library file there, then start Brevicor again.";
    }
    return "The file is damaged or is not a phrase library. Brevicor has not changed it. "
           "Replace it with a copy from a backup, or make a new library with the library "
           "tool, then start Brevicor again.";
}

std::string FormatKilobytes(std::uint64_t bytes) {
    return std::to_string(bytes / 1024) + " KB";
}

} // namespace

std::optional<std::string> LibraryProblemText(const std::string& fullPath,
                                              const LibraryFacts& facts) {
    if (!facts.server.empty()) {
        if (facts.read) {
            return std::nullopt; // the file beside the program is not the library then
        }
        std::string reason = facts.driverMessage.empty()
                                 ? std::string("The server could not be reached.")
                                 : facts.driverMessage;
        return "Brevicor could not reach its team library on the server " + facts.server +
               ".\n\nReason: " + reason +
               "\n\nCheck that the server runs and that this computer can reach it, and, if the "
               "server asks for a password, that your password file holds it. Brevicor "
               "connects again by itself once the server is back.\n\nUntil then the tray menu "
               "holds no phrases and nothing can be saved.";
    }
    std::string reason;
    std::string advice;
    if (!facts.read) {
        reason = facts.driverMessage.empty() ? std::string("The library could not be opened.")
                                             : facts.driverMessage;
        advice = UnreadAdvice(facts) +
                 "\n\nUntil then the tray menu holds no phrases and nothing can be saved.";
    } else if (facts.readOnly) {
        reason = "The library file is read-only.";
        advice = "Phrases can be used, but not added, changed or deleted. Clear the file's "
                 "read-only attribute (in its Properties), then start Brevicor again.";
    } else if (facts.freeBytes && *facts.freeBytes < kLowDiskSpaceBytes) {
        reason = "The drive that holds the library is nearly full (" +
                 FormatKilobytes(*facts.freeBytes) + " free).";
        advice = "Phrases can be used, but saving one may fail. Free some space on that drive.";
    } else {
        return std::nullopt;
    }
    return "Brevicor could not use its phrase library:\n" + fullPath + "\n\nReason: " + reason +
           "\n\n" + advice;
}

void ReportLibraryProblem(bool read) {
    LibraryFacts facts;
    facts.read = read;
    if (!read) {
        facts.driverState = LastDriverState();
        facts.driverMessage = LastDriverMessage();
    }
    facts.server = LibraryServerName();
    char fullPath[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(kLibraryFile, MAX_PATH, fullPath, nullptr);
    std::string path =
        length > 0 && length < MAX_PATH ? std::string(fullPath, length) : std::string(kLibraryFile);
    DWORD attributes = GetFileAttributesA(path.c_str());
    facts.exists = attributes != INVALID_FILE_ATTRIBUTES;
    facts.isFolder = facts.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.readOnly = facts.exists && !facts.isFolder && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    ULARGE_INTEGER available{};
    if (GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) {
        facts.freeBytes = available.QuadPart;
    }
    if (std::optional<std::string> text = LibraryProblemText(path, facts)) {
        // Owned by nothing: the main window is hidden, and the box must be seen on its own.
        MessageBoxA(nullptr, text->c_str(), kLibraryMessageCaption,
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }
}

} // namespace brevicor
