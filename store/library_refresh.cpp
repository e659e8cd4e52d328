#include "store/library_refresh.h"

#include "store/category_list.h"
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <optional>

namespace brevicor {

namespace {

// The library file, as the connection string names it from the program's folder.
constexpr char kLibraryFile[] = "database/phrases.mdb";

// What the category list and the preview texts were read at; none before the first read.
std::optional<std::string> g_readAt;
unsigned g_readInGeneration = 0;

// Enough of the file's beginning to hold a write counter: a library file made by our engine
// counts every write there, so a change is seen even within one tick of the file times.
constexpr int kHeadBytes = 100;

std::string FileStamp() {
    std::string stamp = "file ";
#ifdef _WIN32
    // Shared every way: the driver has the file open, and may be writing it.
    HANDLE file = CreateFileA(kLibraryFile, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    LARGE_INTEGER size{};
    FILETIME written{};
    char head[kHeadBytes] = {};
    DWORD read = 0;
    bool known = GetFileSizeEx(file, &size) && GetFileTime(file, nullptr, nullptr, &written) &&
                 ReadFile(file, head, sizeof head, &read, nullptr);
    CloseHandle(file);
    if (!known) {
        return {};
    }
    stamp += std::to_string(size.QuadPart) + " " + std::to_string(written.dwHighDateTime) + ":" +
             std::to_string(written.dwLowDateTime) + " ";
#else
    int file = open(kLibraryFile, O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return {};
    }
    struct stat data {};
    char head[kHeadBytes] = {};
    ssize_t got = fstat(file, &data) == 0 ? pread(file, head, sizeof head, 0) : -1;
    close(file);
    if (got < 0) {
        return {};
    }
    size_t read = static_cast<size_t>(got);
    stamp += std::to_string(data.st_size) + " " + std::to_string(data.st_mtim.tv_sec) + "." +
             std::to_string(data.st_mtim.tv_nsec) + " ";
#endif
    stamp.append(head, read);
    return stamp;
}

} // namespace

std::string LibraryChangeStamp() {
    // A team library on its server: every write there counts up a sequence, read in one look.
    if (LibraryIsOnServer()) {
        std::string counter = ReadFirstValue("SELECT last_value FROM brevicor_change");
        return counter.empty() ? std::string() : "server " + counter;
    }
    return FileStamp();
}

namespace {

void Remember(const std::string& stamp, bool read) {
    g_readInGeneration = StoreGeneration();
    if (read && !stamp.empty()) {
        g_readAt = stamp;
    } else {
        g_readAt.reset(); // read again next time: the library was not read, or cannot tell
    }
}

} // namespace

void NoteLibraryViewsRead(bool read) {
    Remember(LibraryChangeStamp(), read);
}

void RefreshLibraryViews() {
    std::string stamp = LibraryChangeStamp();
    if (!stamp.empty() && g_readAt == stamp && g_readInGeneration == StoreGeneration()) {
        return;
    }
    bool read = LoadCategoryList();
    LoadContentCache();
    Remember(stamp, read);
}

} // namespace brevicor
