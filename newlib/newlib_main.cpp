// brevicor-newlib.exe: makes database\phrases.mdb beside itself ready for the program, through
// the Access driver. The installer runs it after copying the program.
//
//   brevicor-newlib [/empty]
//
// Exit status 0: the library is ready (made, completed, or already there). 1: it is not; one
// line says why. 2: the command line was not understood.
#include "newlib/library_setup.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The folder of this executable, with its final backslash.
std::string OwnFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    const size_t slash = full.find_last_of('\\');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    bool withSamples = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "/empty" || arg == "--empty") {
            withSamples = false;
        } else {
            std::fprintf(stderr, "usage: brevicor-newlib [/empty]\n");
            return 2;
        }
    }
    const std::string folder = OwnFolder();
    // The connection string names the library relative to the program's folder.
    if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) {
        std::fprintf(stderr, "brevicor-newlib: cannot change to the folder %s\n", folder.c_str());
        return 1;
    }
    const brevicor::LibrarySetupResult result = brevicor::MakeLibraryReady(folder, withSamples);
    if (result.outcome == brevicor::LibrarySetupOutcome::Failed) {
        std::fprintf(stderr, "brevicor-newlib: %s\n", result.message.c_str());
        return 1;
    }
    std::printf("brevicor-newlib: %s\n", result.message.c_str());
    return 0;
}
