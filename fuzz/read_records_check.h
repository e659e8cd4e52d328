#pragma once

// Checks shared by the import readers' fuzzers: what a reader accepts must convert to the
// library's text and back without loss or a crash.

#include "tools/library/phrase_record.h"
#include "tools/library/text_1252.h"

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
    for (const library::PhraseRecord& record : read.records) {
        CheckTextConversion(record.category);
        CheckTextConversion(record.code);
        CheckTextConversion(record.content);
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
