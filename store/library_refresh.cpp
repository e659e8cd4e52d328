#include "store/library_refresh.h"

#include "store/category_list.h"
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <optional>

namespace brevicor {

namespace {

// The library file, as the connection string names it from the program's folder.
constexpr char kLibraryFile[] = "database/phrases.mdb";

// What the category list and the preview texts were read at; none before the first read.
std::optional<std::string> g_readAt;
unsigned g_readInGeneration = 0;

std::string FileStamp() {
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(kLibraryFile, GetFileExInfoStandard, &data)) {
        return {};
    }
    return "file " + std::to_string(data.nFileSizeHigh) + ":" + std::to_string(data.nFileSizeLow) +
           " " + std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
           std::to_string(data.ftLastWriteTime.dwLowDateTime);
#else
    struct stat data {};
    if (stat(kLibraryFile, &data) != 0) {
        return {};
    }
    return "file " + std::to_string(data.st_size) + " " + std::to_string(data.st_mtim.tv_sec) +
           "." + std::to_string(data.st_mtim.tv_nsec);
#endif
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
