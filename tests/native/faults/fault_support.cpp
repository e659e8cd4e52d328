#include "tests/native/faults/fault_support.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace brevicor::faults {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string IntegrityCheck(const std::filesystem::path& library) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(library.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string verdict;
    if (rc != SQLITE_OK) {
        verdict = std::string("cannot open: ") + sqlite3_errstr(rc);
    } else {
        // The engine's own text order replaces NOCASE only beyond ASCII; these tests write
        // ASCII keys, so SQLite's built-in order checks the indexes exactly.
        sqlite3_stmt* stmt = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            verdict = std::string("cannot check: ") + sqlite3_errmsg(db);
        }
        while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
            if (!verdict.empty()) {
                verdict += "\n";
            }
            verdict += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return verdict;
}

std::string FolderListing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    std::string listing;
    for (const std::string& name : names) {
        listing += name + "\n";
    }
    return listing;
}

Watchdog::Watchdog(std::chrono::seconds limit, std::string what) {
    m_thread = std::thread([this, limit, what = std::move(what)] {
        std::unique_lock lock(m_mutex);
        if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
            std::fprintf(stderr, "watchdog: %s did not end within %lld s\n", what.c_str(),
                         static_cast<long long>(limit.count()));
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace brevicor::faults
