#include "app/database_folder.h"

#include <windows.h>

namespace brevicor {

std::string ProgramFolder(const std::string& executablePath) {
    // Cut at the last backslash rather than deleting the program's name from the path: a folder
    // whose name contains it ("brevicor.exe files\") would otherwise be cut as well.
    size_t slash = executablePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

bool CheckDatabaseFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = ProgramFolder(std::string(path, length));
    // Every relative path of the program, the library's among them, relies on this.
    SetCurrentDirectoryA(folder.c_str());

    std::string pattern = folder + "database\\*.mdb";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    // A folder that happens to be named *.mdb is no database.
    bool fileFound = false;
    do {
        fileFound = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (!fileFound && FindNextFileA(search, &found));
    FindClose(search);
    return fileFound;
}

} // namespace brevicor
