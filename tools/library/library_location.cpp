#include "tools/library/library_location.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace brevicor::library {

std::string ProgramConnectionString(const std::string& path) {
    const bool plain = !path.empty() && path.find_first_of(";{}") == std::string::npos &&
                       path.front() != ' ' && path.back() != ' ';
    std::string text = "DBQ=";
    if (plain) {
        text += path;
    } else {
        text += '{';
        for (char c : path) {
            text += c;
            if (c == '}') {
                text += '}';
            }
        }
        text += '}';
    }
    text.append(";DRIVER={").append(kAccessDriverName).append("}");
    return text;
}

std::optional<std::string> MissingLibrary(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return "there is no library at " + path +
               " (a new library is made with brevicor-newlib, not by this tool)";
    }
    if (fs::is_directory(status)) {
        return path + " is a folder, not a library file";
    }
    return std::nullopt;
}

void UseBundledEngineRegistration([[maybe_unused]] const std::string& connectionString) {
#ifndef _WIN32
    if (std::getenv("ODBCSYSINI") != nullptr ||
        connectionString.find(kAccessDriverName) == std::string::npos) {
        return;
    }
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return;
    }
    const fs::path registration = program.parent_path().parent_path() / "odbc";
    if (fs::exists(registration / "odbcinst.ini", ec)) {
        setenv("ODBCSYSINI", registration.c_str(), 1);
    }
#endif
}

} // namespace brevicor::library
