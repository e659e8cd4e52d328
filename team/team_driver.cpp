// The team library's driver: PostgreSQL's ODBC driver with its connection settings taken from
// the team folder's odbcinst.ini.
//
// The program's connection string is fixed ("DBQ=...;DRIVER={...}") and names no server. The
// PostgreSQL driver reads a data source's settings only for a DSN, never for a driver section,
// so a DSN-less connection would go to the default local socket. This library adds the settings
// of the driver's own odbcinst.ini section to the string, and is otherwise that driver: it links
// against it, and the driver manager, which looks every other entry point up in this library,
// finds them in it (dlsym searches a library's dependencies too).
#include <dlfcn.h>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Settings a team folder may give, in the names the PostgreSQL driver reads from a DSN.
constexpr std::array<const char*, 7> kSettings = {"Servername", "Port",  "Database",    "Username",
                                                  "SSLmode",    "pqopt", "ConnSettings"};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The value of `key` in a connection string (keys compare without case; braces stripped),
// and whether it was there.
bool FindAttribute(std::string_view connection, std::string_view key, std::string* value) {
    size_t at = 0;
    while (at < connection.size()) {
        size_t equals = connection.find('=', at);
        if (equals == std::string_view::npos) {
            return false;
        }
        std::string name = Lower(connection.substr(at, equals - at));
        size_t end = equals + 1;
        if (end < connection.size() && connection[end] == '{') {
            end = connection.find('}', end);
            end = end == std::string_view::npos ? connection.size() : end + 1;
        }
        end = connection.find(';', end);
        if (end == std::string_view::npos) {
            end = connection.size();
        }
        if (name == Lower(key)) {
            std::string_view raw = connection.substr(equals + 1, end - equals - 1);
            if (raw.size() >= 2 && raw.front() == '{' && raw.back() == '}') {
                raw = raw.substr(1, raw.size() - 2);
            }
            value->assign(raw);
            return true;
        }
        at = end + 1;
    }
    return false;
}

// A value in braces, so that a ';' inside it (ConnSettings holds SQL) does not end it.
std::string Braced(const std::string& value) {
    if (value.find_first_of(";{}") == std::string::npos) {
        return value;
    }
    return "{" + value + "}";
}

std::string WithTeamSettings(std::string_view connection) {
    std::string section;
    std::string result(connection);
    if (!FindAttribute(connection, "DRIVER", &section) || section.empty()) {
        return result;
    }
    for (const char* key : kSettings) {
        std::string present;
        if (FindAttribute(connection, key, &present)) {
            continue; // the caller's own value wins
        }
        char value[1024] = {};
        int length = SQLGetPrivateProfileString(section.c_str(), key, "", value, sizeof(value),
                                                "odbcinst.ini");
        if (length <= 0) {
            continue;
        }
        if (!result.empty() && result.back() != ';') {
            result += ';';
        }
        result += std::string(key) + "=" + Braced(value);
    }
    return result;
}

using DriverConnectFn = SQLRETURN (*)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                      SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT);

// The PostgreSQL driver's own SQLDriverConnect: looked up from its handle, since by name this
// library's definition would be found first.
DriverConnectFn RealDriverConnect() {
    static DriverConnectFn real = [] {
        void* driver = dlopen(BREVICOR_PG_DRIVER, RTLD_NOW | RTLD_NOLOAD);
        if (driver == nullptr) {
            driver = dlopen(BREVICOR_PG_DRIVER, RTLD_NOW);
        }
        return driver == nullptr
                   ? nullptr
                   : reinterpret_cast<DriverConnectFn>(dlsym(driver, "SQLDriverConnect"));
    }();
    return real;
}

} // namespace

extern "C" __attribute__((visibility("default"))) SQLRETURN SQL_API SQLDriverConnect(
    SQLHDBC connection, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
    SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT completion) {
    DriverConnectFn real = RealDriverConnect();
    if (real == nullptr) {
        return SQL_ERROR;
    }
    std::string given;
    if (in != nullptr) {
        const char* text = reinterpret_cast<const char*>(in);
        // The program passes its string with a fixed length and NULs after the text.
        given =
            inLength == SQL_NTS
                ? std::string(text)
                : std::string(text, strnlen(text, static_cast<size_t>(std::max<int>(inLength, 0))));
    }
    std::string full = WithTeamSettings(given);
    return real(connection, window, reinterpret_cast<SQLCHAR*>(full.data()), SQL_NTS, out, outMax,
                outLength, completion);
}
