#include "tools/library/command_line.h"

#include <algorithm>
#include <cctype>

namespace brevicor::library {

const char kUsage[] =
    "usage: brevicor-library [--library PATH | --connect STRING] COMMAND [options]\n"
    "\n"
    "  export [--format csv|json] [-o FILE]   every phrase, to standard output or FILE\n"
    "  import FILE [--format csv|json|espanso] [--duplicates skip|replace|keep-both]\n"
    "              [--dry-run]                 adds the file's phrases, all or nothing\n"
    "  check                                   reports rows, categories, duplicates and\n"
    "                                          values over the limits (exit 1 if any)\n"
    "\n"
    "  --library PATH    the library file (default database/phrases.mdb), opened as the\n"
    "                    program opens it\n"
    "  --connect STRING  a full ODBC connection string instead\n"
    "\n"
    "Exit status: 0 done, 1 check found something, 2 refused (nothing was changed),\n"
    "3 the library or a file could not be read or written.\n";

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<FileFormat> FormatNamed(const std::string& name) {
    if (name == "csv") {
        return FileFormat::Csv;
    }
    if (name == "json") {
        return FileFormat::Json;
    }
    if (name == "espanso") {
        return FileFormat::Espanso;
    }
    return std::nullopt;
}

} // namespace

std::optional<FileFormat> FormatOfFile(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::nullopt;
    }
    const std::string extension = Lowered(path.substr(dot + 1));
    if (extension == "csv") {
        return FileFormat::Csv;
    }
    if (extension == "json") {
        return FileFormat::Json;
    }
    if (extension == "yml" || extension == "yaml") {
        return FileFormat::Espanso;
    }
    return std::nullopt;
}

std::variant<Options, std::string> ParseCommandLine(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> positional;
    std::vector<std::string> commandOptions; // remembered to check they fit the command
    std::optional<std::string> formatName;
    std::optional<std::string> duplicatesName;
    bool help = false;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        std::optional<std::string> inlineValue;
        if (argument.rfind("--", 0) == 0) {
            if (const auto eq = argument.find('='); eq != std::string::npos) {
                inlineValue = argument.substr(eq + 1);
                argument.resize(eq);
            }
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        const auto takes = [&](std::optional<std::string>& into) -> std::optional<std::string> {
            auto got = value();
            if (!got) {
                return argument + " needs a value";
            }
            if (into) {
                return argument + " is given twice";
            }
            into = std::move(got);
            return std::nullopt;
        };
        std::optional<std::string> problem;
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--library") {
            problem = takes(options.libraryPath);
        } else if (argument == "--connect") {
            problem = takes(options.connectionString);
        } else if (argument == "--format") {
            commandOptions.push_back(argument);
            problem = takes(formatName);
        } else if (argument == "-o" || argument == "--output") {
            commandOptions.push_back("-o");
            problem = takes(options.outputFile);
        } else if (argument == "--duplicates") {
            commandOptions.push_back(argument);
            problem = takes(duplicatesName);
        } else if (argument == "--dry-run") {
            commandOptions.push_back(argument);
            options.dryRun = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            problem = "unknown option " + argument;
        } else {
            positional.push_back(argument);
        }
        if (problem) {
            return *problem;
        }
    }

    if (help || positional.empty()) {
        options.command = Command::Help;
        return options;
    }
    if (options.libraryPath && options.connectionString) {
        return std::string("give either --library or --connect, not both");
    }
    const std::string& command = positional[0];
    std::vector<std::string> allowed;
    std::size_t operands = 0;
    if (command == "export") {
        options.command = Command::Export;
        allowed = {"--format", "-o"};
    } else if (command == "import") {
        options.command = Command::Import;
        allowed = {"--format", "--duplicates", "--dry-run"};
        operands = 1;
    } else if (command == "check") {
        options.command = Command::Check;
    } else {
        return "unknown command " + command + " (export, import or check)";
    }
    for (const std::string& given : commandOptions) {
        if (std::find(allowed.begin(), allowed.end(), given) == allowed.end()) {
            return given + " does not go with " + command;
        }
    }
    if (positional.size() - 1 < operands) {
        return command + " needs the file to import";
    }
    if (positional.size() - 1 > operands) {
        return "unexpected argument " + positional[operands + 1];
    }
    if (operands == 1) {
        options.inputFile = positional[1];
    }
    if (formatName) {
        options.format = FormatNamed(*formatName);
        if (!options.format ||
            (options.command == Command::Export && *options.format == FileFormat::Espanso)) {
            return "unknown format " + *formatName +
                   (options.command == Command::Export ? " (csv or json)"
                                                       : " (csv, json or espanso)");
        }
    }
    if (duplicatesName) {
        if (*duplicatesName == "skip") {
            options.duplicates = DuplicateRule::Skip;
        } else if (*duplicatesName == "replace") {
            options.duplicates = DuplicateRule::Replace;
        } else if (*duplicatesName == "keep-both") {
            options.duplicates = DuplicateRule::KeepBoth;
        } else {
            return "unknown --duplicates " + *duplicatesName + " (skip, replace or keep-both)";
        }
    }
    return options;
}

} // namespace brevicor::library
