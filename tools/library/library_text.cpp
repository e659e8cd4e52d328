#include "tools/library/library_text.h"

#include "store/sql_text.h"
#include "tools/library/text_1252.h"

#include <optional>

namespace brevicor::library {

bool IsCategoryRow(const StoredPhrase& phrase) {
    return phrase.code.empty() && phrase.content.empty() && !phrase.category.empty();
}

namespace {

// Converts one field; the refusal names the record and the field.
std::optional<Refusal> Narrow(const PhraseRecord& record, const char* field,
                              const std::string& utf8, std::string& bytes) {
    Narrowed narrowed = Windows1252FromUtf8(CrLfLineBreaks(utf8));
    if (!narrowed.problem.empty()) {
        return Refusal{record.where, field, "the text " + narrowed.problem};
    }
    bytes = std::move(narrowed.bytes);
    return std::nullopt;
}

std::optional<Refusal> OverLimit(const PhraseRecord& record, const char* field,
                                 const std::string& bytes, std::size_t limit, const char* what,
                                 const char* note = "") {
    if (bytes.size() <= limit) {
        return std::nullopt;
    }
    return Refusal{record.where, field,
                   std::string(what) + " is " + std::to_string(bytes.size()) +
                       " bytes as stored, more than the " + std::to_string(limit) +
                       " the library holds" + note};
}

} // namespace

std::variant<StoredPhrase, Refusal> StoredFromRecord(const PhraseRecord& record) {
    StoredPhrase phrase;
    std::string content;
    if (auto refusal = Narrow(record, "category", record.category, phrase.category)) {
        return *refusal;
    }
    if (auto refusal = Narrow(record, record.codeField, record.code, phrase.code)) {
        return *refusal;
    }
    if (auto refusal = Narrow(record, record.contentField, record.content, content)) {
        return *refusal;
    }
    phrase.content = EncodeApostrophes(content);
    if (phrase.code.empty() && !IsCategoryRow(phrase)) {
        return Refusal{record.where, record.codeField, "the shortcut is empty"};
    }
    if (auto refusal = OverLimit(record, "category", phrase.category, kNameLimit, "the category")) {
        return *refusal;
    }
    if (auto refusal =
            OverLimit(record, record.codeField, phrase.code, kNameLimit, "the shortcut")) {
        return *refusal;
    }
    // Counted as stored, an apostrophe taking two bytes: the program reads no more than this,
    // and a longer text would be delivered cut.
    if (auto refusal = OverLimit(record, record.contentField, phrase.content, kContentLimit,
                                 "the text", " (an apostrophe is stored as two bytes)")) {
        return *refusal;
    }
    return phrase;
}

PhraseRecord RecordFromStored(const StoredPhrase& phrase) {
    PhraseRecord record;
    record.category = Utf8FromWindows1252(phrase.category);
    record.code = Utf8FromWindows1252(phrase.code);
    record.content = Utf8FromWindows1252(DecodeApostrophes(phrase.content));
    return record;
}

} // namespace brevicor::library
