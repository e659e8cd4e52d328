#pragma once

// The bytes a phrase is stored as, and the text an export writes for them.

#include "tools/library/phrase_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace brevicor::library {

// What a shortcut or a category name holds at most, in bytes; and a phrase's text, which the
// program reads into a buffer of this size plus its terminating zero.
inline constexpr std::size_t kNameLimit = 255;
inline constexpr std::size_t kContentLimit = 9215;

// A row's values as the library holds them: Windows-1252 bytes, the content with each
// apostrophe as the marker pair 0xAC 0x60.
struct StoredPhrase {
    std::string category;
    std::string code;
    std::string content;
};

// A row of the library with its PhraseID.
struct LibraryRow {
    std::int32_t id = 0;
    StoredPhrase phrase;
};

// A row with a category, an empty shortcut and no text: it keeps an empty category alive.
bool IsCategoryRow(const StoredPhrase& phrase);

// The bytes an import stores for a record, the way "Add phrase" stores typed text: line breaks
// as CR LF, Windows-1252, each apostrophe of the content as the marker pair. Refused when a
// character has no Windows-1252 byte, the shortcut is empty (except for a category row), or a
// value is over its limit.
std::variant<StoredPhrase, Refusal> StoredFromRecord(const PhraseRecord& record);

// The record an export writes for a stored row: UTF-8, each marker pair of the content as the
// apostrophe it stands for, as delivery hands the text over.
PhraseRecord RecordFromStored(const StoredPhrase& phrase);

} // namespace brevicor::library
