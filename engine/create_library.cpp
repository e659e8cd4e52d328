// brevicor-newlib: builds a library file from SQL scripts.
//
//   brevicor-newlib [--force] OUT.mdb schema.sql [data.sql...]
//
// The scripts run in one transaction on a temporary file next to OUT, with the same text
// collation the driver uses, and the result is renamed into place only when everything
// succeeded, so a failed run never leaves a half-filled library behind. An existing OUT is
// kept unless --force is given. A script that is one Access table definition (the program's
// schema, engine/phrase_table.sql) is turned into the library's form as the driver does it.
#include "access_ddl.hpp"
#include "library.hpp"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace brevicor::engine;

namespace {

int usage() {
    std::cerr << "usage: brevicor-newlib [--force] OUT.mdb schema.sql [data.sql...]\n";
    return 2;
}

bool read_file(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    out = buf.str();
    return true;
}

// Removes the temporary file unless the build got as far as renaming it.
struct TempFile {
    fs::path path;
    bool keep = false;
    ~TempFile() {
        if (!keep) {
            std::error_code ec;
            fs::remove(path, ec);
            fs::remove(path.string() + "-journal", ec);
        }
    }
};

bool run(sqlite3* db, const std::string& sql, const std::string& what) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::cerr << "brevicor-newlib: " << what << ": " << (error != nullptr ? error : "failed")
                  << "\n";
        sqlite3_free(error);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    bool force = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--force") {
            force = true;
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 2) {
        return usage();
    }
    const fs::path out = args[0];
    std::error_code ec;
    if (fs::exists(out, ec) && !force) {
        std::cerr << "brevicor-newlib: " << out.string()
                  << " already exists (use --force to replace it)\n";
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> scripts;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string text;
        if (!read_file(args[i], text)) {
            std::cerr << "brevicor-newlib: cannot read " << args[i] << "\n";
            return 1;
        }
        const AccessDdl ddl = translate_access_ddl(text);
        if (ddl.kind == AccessDdl::Kind::Refused) {
            std::cerr << "brevicor-newlib: " << args[i] << ": " << ddl.text << "\n";
            return 1;
        }
        scripts.emplace_back(args[i],
                             ddl.kind == AccessDdl::Kind::Translated ? ddl.text : std::move(text));
    }
    // A missing folder is most often a typing mistake in the path: say so rather than making
    // folders nobody asked for.
    if (out.has_parent_path() && !fs::is_directory(out.parent_path(), ec)) {
        std::cerr << "brevicor-newlib: the folder " << out.parent_path().string()
                  << " does not exist; create it first or check the path\n";
        return 1;
    }
    TempFile temp{out.string() + ".tmp-" + std::to_string(::getpid())};
    fs::remove(temp.path, ec);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(temp.path.c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) {
        std::cerr << "brevicor-newlib: cannot create " << temp.path.string() << ": "
                  << (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) << "\n";
        return 1;
    }
    configure_connection(db.get());
    // A single file with a rollback journal: no -wal/-shm companions next to the library.
    if (!run(db.get(), "PRAGMA journal_mode=DELETE", "setting journal mode") ||
        !run(db.get(), "BEGIN", "starting")) {
        return 1;
    }
    for (const auto& [name, text] : scripts) {
        if (!run(db.get(), text, name)) {
            return 1;
        }
    }
    // A new library gets the tray menu's index at once, rather than on its first connection.
    keep_phrase_index(db.get());
    if (!run(db.get(), "COMMIT", "saving")) {
        return 1;
    }
    db.reset(); // close before renaming so the file is complete on disk
    fs::rename(temp.path, out, ec);
    if (ec) {
        std::cerr << "brevicor-newlib: cannot move the new library to " << out.string() << ": "
                  << ec.message() << "\n";
        return 1;
    }
    temp.keep = true;
    return 0;
}
