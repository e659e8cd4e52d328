#pragma once

// A phrase as an import or export file holds it, and why a file can be refused.

#include <optional>
#include <string>
#include <vector>

namespace brevicor::library {

// One record of a file: text in UTF-8, as read or as it will be written.
struct PhraseRecord {
    std::string category;
    std::string code;
    std::string content;
    // Where the record is in its file, for messages: "line 7" (CSV), "record 3 (line 12)"
    // (JSON), "match 2 (line 5)" (Espanso).
    std::string where;
    // What the file calls the shortcut and the text, for messages.
    const char* codeField = "code";
    const char* contentField = "content";
};

// The reason a file is refused: the record, the field when one is at fault, and what is wrong.
struct Refusal {
    std::string where;
    std::string field;
    std::string reason;
};

// "line 7, field code: the shortcut is empty".
std::string Describe(const Refusal& refusal);

// What a reader made of a file: its records, or the refusal that stopped it. `skipped` holds
// one line for each entry the reader left out on purpose (an Espanso entry with a form).
struct RecordsRead {
    std::vector<PhraseRecord> records;
    std::vector<std::string> skipped;
    std::optional<Refusal> refusal;
};

} // namespace brevicor::library
