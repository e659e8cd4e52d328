// Feeds arbitrary bytes to the engine's connection-string parsing, as SQLDriverConnect hands
// them over, and checks that what it makes of them survives being written back.
#include "connection_string.hpp"

#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

using namespace brevicor::engine;

namespace {

// Writes the parsed keywords back as a connection string, every value in braces.
std::string compose(const std::map<std::string, std::string>& keywords) {
    std::string out;
    for (const auto& [key, value] : keywords) {
        out += key + "={";
        for (char c : value) {
            out += c;
            if (c == '}') {
                out += '}';
            }
        }
        out += "};";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* text = reinterpret_cast<const SQLCHAR*>(data);
    // The explicit-length form the driver manager uses; it must never read past `size`.
    const std::string given =
        text_argument(text, static_cast<SQLINTEGER>(size > 0x7fffffff ? 0x7fffffff : size));
    if (given.size() > size) {
        __builtin_trap();
    }
    const auto keywords = parse_connection_string(given);
    for (const auto& [key, value] : keywords) {
        // Keywords are stored trimmed and upper-case, never empty.
        if (key.empty() || key.front() == ' ' || key.back() == ' ') {
            __builtin_trap();
        }
        for (unsigned char c : key) {
            if (c >= 'a' && c <= 'z') {
                __builtin_trap();
            }
        }
    }
    // Braced values keep every byte, so writing the keywords back and reading them again
    // must give the same keywords and values.
    if (parse_connection_string(compose(keywords)) != keywords) {
        __builtin_trap();
    }
    return 0;
}
