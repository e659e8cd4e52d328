#pragma once

// Espanso-style match files (YAML), read only: each trigger becomes a shortcut of the category
// named after the file, its replace text the phrase.

#include "tools/library/phrase_record.h"

#include <string>
#include <string_view>

namespace brevicor::library {

// Whether this build can read match files (the Windows builds are made without the YAML
// library).
bool EspansoSupported();

// Reads a whole match file into records of `category`. An entry with variables (vars, or a
// {{name}} in its text), a form, an image, rich text (markdown, html) or a regex trigger is
// left out with one line in `skipped`. Refused: YAML that does not parse, invalid UTF-8, an
// entry without a trigger or without a text. Each record's `where` is "match N (line L)".
RecordsRead ReadEspanso(std::string_view file, const std::string& category);

} // namespace brevicor::library
