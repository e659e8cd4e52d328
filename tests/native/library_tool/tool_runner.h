// Runs the built brevicor-library as a user would, as a separate process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brevicor::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

struct ToolEnvironment {
    bool withoutOdbcSysIni = false; // as on a user's machine: nothing set
    bool stderrOnTerminal = false;  // standard error on a pseudo-terminal
};

// Runs the tool in the current folder with `arguments`; captures both output streams.
ToolRun RunTool(const std::vector<std::string>& arguments, ToolEnvironment environment = {});

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace brevicor::test
