#pragma once

// What an import does to the library, worked out before anything is written: which records
// are added, which phrases get new text, which records are left out, and why.

#include "tools/library/library_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevicor::library {

// What happens to a record whose category and shortcut are already in the library (or earlier
// in the same file), compared as the library compares them: case-blind.
enum class DuplicateRule { Skip, Replace, KeepBoth };

struct IncomingPhrase {
    StoredPhrase phrase;
    std::string where;
    const char* codeField = "code";
};

struct PlannedInsert {
    StoredPhrase phrase;
    std::string where;
};

// New text for every row that carries one category and shortcut.
struct PlannedReplace {
    std::vector<std::int32_t> ids;
    std::string content;
    std::string where;
};

struct ImportPlan {
    std::vector<PlannedInsert> inserts;
    std::vector<PlannedReplace> replaces;
    // One line for each record not simply added: skipped, replaced, or added under a new name.
    std::vector<std::string> report;
    std::size_t imported = 0;
    std::size_t replaced = 0;
    std::size_t skipped = 0;
    // Set when a record cannot be imported at all; then nothing is.
    std::optional<Refusal> refusal;
};

// Plans the import of `incoming`, in file order, into a library holding `existing`.
// A category row is added only when no row carries its category yet. With KeepBoth, the
// shortcut gets " (2)", " (3)"… (the first free one); a shortcut that would then be over
// the limit is refused. With Replace, a record whose text is already the phrase's text
// changes nothing and counts as skipped.
ImportPlan PlanImport(const std::vector<LibraryRow>& existing,
                      const std::vector<IncomingPhrase>& incoming, DuplicateRule rule);

} // namespace brevicor::library
