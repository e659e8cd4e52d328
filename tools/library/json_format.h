#pragma once

// Phrases as JSON: one array of objects {"category", "code", "content"}, in UTF-8.

#include "tools/library/phrase_record.h"

#include <string>
#include <string_view>

namespace brevicor::library {

// Reads a whole JSON file (RFC 8259; a UTF-8 byte order mark is accepted). Every element of
// the array must be an object whose "category", "code" and "content" are strings; other
// members are passed over. Refused: malformed JSON, invalid UTF-8 or a lone surrogate escape,
// a missing or repeated field, a field that is not a string. Each record's `where` is
// "record N (line L)", N counting from 1 and L the line of its opening brace.
RecordsRead ReadJson(std::string_view file);

// One object, on one line, without a separator.
std::string JsonObject(const PhraseRecord& record);

} // namespace brevicor::library
