#pragma once

// Which library the tool opens, and how: the program's own connection string with a path as
// DBQ, or a connection string given in full.

#include <optional>
#include <string>

namespace brevicor::library {

// The library the program itself opens, relative to the folder it runs in.
inline constexpr char kDefaultLibraryPath[] = "database/phrases.mdb";
inline constexpr char kAccessDriverName[] = "Microsoft Access Driver (*.mdb)";

// The program's connection string, with `path` as DBQ (in braces when it holds characters the
// connection string would otherwise read as its own).
std::string ProgramConnectionString(const std::string& path);

// Why the library file at `path` cannot be opened (it does not exist, or is a folder), or
// nothing when it is there. A missing library is never created: that is brevicor-newlib's job.
std::optional<std::string> MissingLibrary(const std::string& path);

// On Linux, the engine is registered in dist/odbc beside the tool's own folder (dist/bin):
// when the connection string names the engine's driver and ODBCSYSINI is not set, the tool
// points the driver manager there itself. Elsewhere, and for other drivers, nothing changes.
void UseBundledEngineRegistration(const std::string& connectionString);

} // namespace brevicor::library
