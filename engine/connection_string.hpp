// Parsing of ODBC connection strings ("DBQ=...;DRIVER={...}").
#pragma once

#include <sql.h>

#include <map>
#include <optional>
#include <string>

namespace brevicor::engine {

// Turns the (pointer, length) pair an ODBC function receives into text: SQL_NTS means
// NUL-terminated, and an explicit length that runs past the text (NUL padding) stops at the
// first NUL byte.
std::string text_argument(const SQLCHAR* text, SQLINTEGER length);

// Keywords are matched case-insensitively and stored upper-case. Values may be wrapped in
// braces ({...}, with "}}" standing for "}"). Later duplicates do not override earlier ones.
std::map<std::string, std::string> parse_connection_string(const std::string& text);

// Library path as the user meant it: backslashes become slashes, since the program is a
// Windows program and the driver runs on a POSIX file system.
std::string normalise_library_path(std::string path);

} // namespace brevicor::engine
