// brevicor-library: moves phrases in and out of a library through ODBC only, so that it works
// with the Access driver on Windows, with our engine on Linux and with any other driver that
// holds the phrase table.
#include "tools/library/command_support.h"
#include "tools/library/library_location.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include <exception>

using namespace brevicor::library;

namespace {

#ifdef _WIN32
// Files are written byte for byte: without this, every LF written to standard output would
// gain a CR and CSV line breaks inside fields would arrive as CR CR LF. A console shows the
// UTF-8 as UTF-8 while the tool runs.
class WindowsConsole {
public:
    WindowsConsole() : m_outputCodePage(GetConsoleOutputCP()) {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        SetConsoleOutputCP(CP_UTF8);
    }
    ~WindowsConsole() { SetConsoleOutputCP(m_outputCodePage); }
    WindowsConsole(const WindowsConsole&) = delete;
    WindowsConsole& operator=(const WindowsConsole&) = delete;

private:
    UINT m_outputCodePage;
};
#endif

int Run(const std::vector<std::string>& arguments, const Console& console) {
    const auto parsed = ParseCommandLine(arguments);
    if (const std::string* problem = std::get_if<std::string>(&parsed)) {
        SayError(console, *problem);
        std::fputs(kUsage, console.err);
        return kExitRefused;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.command == Command::Help) {
        std::fputs(kUsage, console.out);
        return kExitDone;
    }
    UseBundledEngineRegistration(ConnectionStringFor(options));
    switch (options.command) {
    case Command::Export:
        return RunExport(options, console);
    case Command::Import:
        return RunImport(options, console);
    case Command::Check:
        return RunCheck(options, console);
    case Command::Help:
        break;
    }
    return kExitDone;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const WindowsConsole windowsConsole;
#endif
    const Console console{stdout, stderr};
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc), console);
    } catch (const std::exception& error) {
        SayError(console, error.what());
        return kExitFailed;
    }
}
