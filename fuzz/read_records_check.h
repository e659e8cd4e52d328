#pragma once

// Checks shared by the import readers' fuzzers: what a reader accepts must convert to the
// library's text and back without loss or a crash.

#include "tools/library/import_plan.h"
#include "tools/library/library_text.h"
#include "tools/library/phrase_record.h"
#include "tools/library/text_1252.h"

#include <variant>
#include <vector>

namespace brevicor::fuzz {

inline void CheckTextConversion(const std::string& utf8) {
    const library::Narrowed narrowed = library::Windows1252FromUtf8(utf8);
    if (narrowed.problem.empty() && library::Utf8FromWindows1252(narrowed.bytes) != utf8) {
        __builtin_trap(); // a character the library can hold came back different
    }
    (void)library::CrLfLineBreaks(utf8);
    (void)library::FoldedKey(narrowed.bytes);
}

inline void CheckRecords(const library::RecordsRead& read) {
    if (read.refusal) {
        // The user is told why the file was refused.
        if (read.refusal->reason.empty() || library::Describe(*read.refusal).empty()) {
            __builtin_trap();
        }
        return;
    }
    std::vector<library::IncomingPhrase> incoming;
    for (const library::PhraseRecord& record : read.records) {
        CheckTextConversion(record.category);
        CheckTextConversion(record.code);
        CheckTextConversion(record.content);
        auto stored = library::StoredFromRecord(record);
        if (const auto* refusal = std::get_if<library::Refusal>(&stored)) {
            if (refusal->reason.empty()) {
                __builtin_trap();
            }
            continue;
        }
        const auto& phrase = std::get<library::StoredPhrase>(stored);
        // What the import stores, the export gives back: exactly, unless a line break was
        // made CR LF or the text already held the apostrophe's marker pair ("¬`").
        const library::PhraseRecord back = library::RecordFromStored(phrase);
        const bool exact = record.category.find_first_of("\r\n") == std::string::npos &&
                           record.code.find_first_of("\r\n") == std::string::npos &&
                           record.content.find_first_of("\r\n") == std::string::npos &&
                           record.content.find("\xC2\xAC`") == std::string::npos;
        if (exact && (back.category != record.category || back.code != record.code ||
                      back.content != record.content)) {
            __builtin_trap();
        }
        incoming.push_back(library::IncomingPhrase{phrase, record.where, record.codeField});
    }
    // The import's plan over an empty library and over one holding the same phrases.
    std::vector<library::LibraryRow> existing;
    for (std::size_t i = 0; i < incoming.size(); ++i) {
        existing.push_back(
            library::LibraryRow{static_cast<std::int32_t>(i + 1), incoming[i].phrase});
    }
    for (const auto rule : {library::DuplicateRule::Skip, library::DuplicateRule::Replace,
                            library::DuplicateRule::KeepBoth}) {
        (void)library::PlanImport({}, incoming, rule);
        (void)library::PlanImport(existing, incoming, rule);
    }
}

inline bool SameRecords(const library::RecordsRead& a, const library::RecordsRead& b) {
    if (a.records.size() != b.records.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        const auto& x = a.records[i];
        const auto& y = b.records[i];
        if (x.category != y.category || x.code != y.code || x.content != y.content) {
            return false;
        }
    }
    return true;
}

} // namespace brevicor::fuzz
