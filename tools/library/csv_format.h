#pragma once

// Phrases as CSV (RFC 4180): a header row category,code,content, then one record per phrase.

#include "tools/library/phrase_record.h"

#include <string>
#include <string_view>

namespace brevicor::library {

inline constexpr char kCsvHeader[] = "category,code,content\r\n";

// Reads a whole CSV file. The header names the three columns, in any order and case. A UTF-8
// byte order mark is accepted, records may end in CR LF or LF, and empty lines are passed
// over. Refused: a missing header, a quoted field that is never closed, text after a closing
// quote, a quote inside an unquoted field, a record without exactly three fields. Each
// record's `where` is the line it starts on.
RecordsRead ReadCsv(std::string_view file);

// One record with its CR LF; a field is quoted when it holds a comma, a quote or a line break.
std::string CsvLine(const PhraseRecord& record);

} // namespace brevicor::library
