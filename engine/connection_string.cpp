#include "connection_string.hpp"

#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace brevicor::engine {

std::string text_argument(const SQLCHAR* text, SQLINTEGER length) {
    if (text == nullptr) {
        return {};
    }
    const char* chars = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS || length < 0) {
        return std::string(chars);
    }
    const auto* end = static_cast<const char*>(std::memchr(chars, '\0', std::size_t(length)));
    return std::string(chars, end != nullptr ? end : chars + length);
}

namespace {
std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}
} // namespace

std::map<std::string, std::string> parse_connection_string(const std::string& text) {
    std::map<std::string, std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        // An empty attribute (";;") or one without '=' holds nothing: skip to the next.
        const std::size_t eq = text.find('=', i);
        const std::size_t semi_first = text.find(';', i);
        if (semi_first != std::string::npos && (eq == std::string::npos || semi_first < eq)) {
            i = semi_first + 1;
            continue;
        }
        if (eq == std::string::npos) {
            break;
        }
        std::string key = trim(text.substr(i, eq - i));
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        std::size_t j = eq + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) {
            ++j;
        }
        std::string value;
        if (j < text.size() && text[j] == '{') {
            ++j;
            while (j < text.size()) {
                if (text[j] == '}') {
                    if (j + 1 < text.size() && text[j + 1] == '}') {
                        value += '}';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j++];
            }
            const std::size_t semi = text.find(';', j);
            i = semi == std::string::npos ? text.size() : semi + 1;
        } else {
            const std::size_t semi = text.find(';', j);
            const std::size_t stop = semi == std::string::npos ? text.size() : semi;
            value = trim(text.substr(j, stop - j));
            i = semi == std::string::npos ? text.size() : semi + 1;
        }
        if (!key.empty()) {
            out.emplace(std::move(key), std::move(value));
        }
    }
    return out;
}

std::string normalise_library_path(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace brevicor::engine
