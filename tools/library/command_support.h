#pragma once

// What the three commands share: exit statuses, messages, opening the library, files.

#include "tools/library/command_line.h"
#include "tools/library/odbc_handles.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace brevicor::library {

enum ExitStatus : int {
    kExitDone = 0,
    kExitCheckFound = 1, // check reported something
    kExitRefused = 2,    // the command line or the input was refused; nothing was changed
    kExitFailed = 3,     // the library or a file could not be read or written
};

struct Console {
    std::FILE* out;
    std::FILE* err;
};

// "brevicor-library: <message>" on standard error.
void SayError(const Console& console, const std::string& message);

// The connection string the options name: --connect as given, otherwise the program's own
// with --library (or the default path) as DBQ.
std::string ConnectionStringFor(const Options& options);

// Opens the library the options name. A missing library file is reported, never created;
// returns null after saying why.
std::unique_ptr<OdbcConnection> OpenLibrary(const Options& options, const Console& console);

// A whole file's bytes, or nothing after saying why it could not be read.
std::optional<std::string> ReadWholeFile(const std::string& path, const Console& console);

// Closes a FILE* when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

int RunExport(const Options& options, const Console& console);
int RunImport(const Options& options, const Console& console);
int RunCheck(const Options& options, const Console& console);

} // namespace brevicor::library
