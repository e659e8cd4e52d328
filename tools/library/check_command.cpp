// check: one report on the library's rows; exit 1 when it finds duplicates or values the
// program cannot hold.
#include "tools/library/command_support.h"
#include "tools/library/phrase_table.h"
#include "tools/library/text_1252.h"

#include <map>
#include <set>

namespace brevicor::library {

namespace {

std::string RowName(const LibraryRow& row) {
    return "PhraseID " + std::to_string(row.id) + " (" + QuotedUtf8(row.phrase.category) + " / " +
           QuotedUtf8(row.phrase.code) + ")";
}

void OverLimit(std::vector<std::string>& lines, const LibraryRow& row, const char* what,
               std::size_t bytes, std::size_t limit, const char* consequence) {
    if (bytes > limit) {
        lines.push_back(RowName(row) + ": " + what + " is " + std::to_string(bytes) +
                        " bytes, more than " + std::to_string(limit) + "; " + consequence);
    }
}

} // namespace

int RunCheck(const Options& options, const Console& console) {
    const auto library = OpenLibrary(options, console);
    if (!library) {
        return kExitFailed;
    }
    std::vector<LibraryRow> rows;
    try {
        rows = ReadRows(*library);
    } catch (const DatabaseError& error) {
        SayError(console, error.what());
        return kExitFailed;
    }

    std::set<std::string> categories;
    std::size_t categoryOnly = 0;
    // Rows are in category and shortcut order; grouping by the folded names finds duplicates
    // as the library compares names.
    std::map<std::string, std::vector<const LibraryRow*>> byName;
    std::vector<std::string> overLimits;
    for (const LibraryRow& row : rows) {
        categories.insert(FoldedKey(row.phrase.category));
        if (row.phrase.code.empty()) {
            ++categoryOnly;
        } else {
            byName[FoldedKey(row.phrase.category) + '\0' + FoldedKey(row.phrase.code)].push_back(
                &row);
        }
        OverLimit(overLimits, row, "the category", row.phrase.category.size(), kNameLimit,
                  "the program cannot store it");
        OverLimit(overLimits, row, "the shortcut", row.phrase.code.size(), kNameLimit,
                  "the program cannot store it");
        OverLimit(overLimits, row, "the text", row.phrase.content.size(), kContentLimit,
                  "the program delivers it cut");
    }
    std::vector<std::string> duplicates;
    for (const auto& [key, holders] : byName) {
        if (holders.size() < 2) {
            continue;
        }
        std::string ids;
        for (const LibraryRow* row : holders) {
            ids += (ids.empty() ? "" : ", ") + std::to_string(row->id);
        }
        duplicates.push_back("category " + QuotedUtf8(holders.front()->phrase.category) +
                             " has the shortcut " + QuotedUtf8(holders.front()->phrase.code) + " " +
                             std::to_string(holders.size()) + " times: PhraseID " + ids);
    }

    std::FILE* out = console.out;
    std::fprintf(out, "rows: %zu\n", rows.size());
    std::fprintf(out, "categories: %zu\n", categories.size());
    std::fprintf(out, "category-only rows: %zu\n", categoryOnly);
    std::fprintf(out, "duplicates within a category: %zu\n", duplicates.size());
    std::fprintf(out, "values over the limits: %zu\n", overLimits.size());
    for (const std::string& line : duplicates) {
        std::fprintf(out, "duplicate: %s\n", line.c_str());
    }
    for (const std::string& line : overLimits) {
        std::fprintf(out, "over the limit: %s\n", line.c_str());
    }
    const std::size_t problems = duplicates.size() + overLimits.size();
    if (problems == 0) {
        std::fprintf(out, "the library is clean\n");
        return kExitDone;
    }
    std::fprintf(out, "%zu %s found\n", problems, problems == 1 ? "problem" : "problems");
    return kExitCheckFound;
}

} // namespace brevicor::library
