#pragma once

// What the fault tests share: reading a file whole, SQLite's own verdict on a library file,
// and a watchdog that ends a test which would otherwise hang.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace brevicor::faults {

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// "ok" when PRAGMA integrity_check finds nothing wrong, else what it found (or why the file
// could not be opened). Read through SQLite directly, read-only, so that no driver rule hides
// a damaged page.
std::string IntegrityCheck(const std::filesystem::path& library);

// Every file in the folder (a journal left behind would show here).
std::string FolderListing(const std::filesystem::path& folder);

// Ends the whole test program, with a message, when it outlives its limit: a hang then fails
// the run instead of stalling it.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace brevicor::faults
