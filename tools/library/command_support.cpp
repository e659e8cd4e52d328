#include "tools/library/command_support.h"

#include "tools/library/library_location.h"

#include <cerrno>
#include <cstring>

namespace brevicor::library {

void SayError(const Console& console, const std::string& message) {
    std::fprintf(console.err, "brevicor-library: %s\n", message.c_str());
}

std::string ConnectionStringFor(const Options& options) {
    if (options.connectionString) {
        return *options.connectionString;
    }
    return ProgramConnectionString(options.libraryPath.value_or(kDefaultLibraryPath));
}

std::unique_ptr<OdbcConnection> OpenLibrary(const Options& options, const Console& console) {
    if (!options.connectionString) {
        if (auto missing = MissingLibrary(options.libraryPath.value_or(kDefaultLibraryPath))) {
            SayError(console, *missing);
            return nullptr;
        }
    }
    try {
        return std::make_unique<OdbcConnection>(ConnectionStringFor(options));
    } catch (const DatabaseError& error) {
        SayError(console, error.what());
        return nullptr;
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path, const Console& console) {
    OwnedFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        SayError(console, "cannot read " + path + ": " + std::strerror(errno));
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        SayError(console, "cannot read " + path + ": " + std::strerror(errno));
        return std::nullopt;
    }
    return bytes;
}

} // namespace brevicor::library
