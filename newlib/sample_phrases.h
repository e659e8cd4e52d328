// The phrases a new library starts with, in the program's stored form: Windows-1252 bytes, an
// apostrophe stored as the pair AC 60, line breaks as CR LF. The same phrases as
// engine/sample_library.sql, which makes the build tree's libraries.
#pragma once

#include <span>

namespace brevicor {

struct SamplePhrase {
    const char* category;
    const char* code;
    const char* content;
};

std::span<const SamplePhrase> SamplePhrases();

} // namespace brevicor
