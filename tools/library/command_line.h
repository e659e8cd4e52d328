#pragma once

// The tool's command line:
//   brevicor-library [--library PATH | --connect STRING] COMMAND [options]
// with the commands export, import FILE and check.

#include "tools/library/import_plan.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace brevicor::library {

enum class Command { Export, Import, Check, Help };
enum class FileFormat { Csv, Json, Espanso };

struct Options {
    Command command = Command::Help;
    std::optional<std::string> libraryPath;
    std::optional<std::string> connectionString;
    std::optional<FileFormat> format;
    std::optional<std::string> outputFile; // export -o
    std::string inputFile;                 // import FILE
    DuplicateRule duplicates = DuplicateRule::Skip;
    bool dryRun = false;
};

// The options, or the message that says what is wrong with the command line.
std::variant<Options, std::string> ParseCommandLine(const std::vector<std::string>& arguments);

// The format a file's extension names (.csv, .json, .yml, .yaml), compared case-blind.
std::optional<FileFormat> FormatOfFile(const std::string& path);

extern const char kUsage[];

} // namespace brevicor::library
