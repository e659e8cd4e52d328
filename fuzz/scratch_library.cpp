#include "scratch_library.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

extern char** environ;

namespace brevicor::fuzz {

namespace {

[[noreturn]] void give_up(const std::string& why) {
    std::fprintf(stderr, "scratch library: %s\n", why.c_str());
    std::abort();
}

// A folder in memory when there is one: the fuzzer writes to its library on every input.
std::string make_folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    std::error_code ec;
    if (tmp == nullptr && std::filesystem::is_directory("/dev/shm", ec)) {
        base = "/dev/shm";
    }
    std::string pattern = base + "/brevicor-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        give_up("cannot make a folder under " + base);
    }
    return pattern;
}

} // namespace

ScratchLibrary::ScratchLibrary(const std::string& newlib, const std::string& schema)
    : m_folder(make_folder()), m_path(m_folder + "/phrases.mdb") {
    std::vector<std::string> args = {newlib, m_path, schema};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, newlib.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        give_up("cannot start " + newlib);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        give_up(newlib + " could not make " + m_path);
    }
}

ScratchLibrary::~ScratchLibrary() {
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

} // namespace brevicor::fuzz
