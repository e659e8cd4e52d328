#include "tools/library/import_plan.h"

#include "tools/library/text_1252.h"

#include <unordered_map>
#include <unordered_set>

namespace brevicor::library {

namespace {

// The library's phrases (and those planned so far) under one folded category and shortcut.
struct Holder {
    std::vector<std::int32_t> ids;
    std::vector<const std::string*> contents;
    std::optional<std::size_t> insert;  // a record of this file planned as a new row
    std::optional<std::size_t> replace; // the planned new text of the library's rows
};

std::string Key(const StoredPhrase& phrase) {
    return FoldedKey(phrase.category) + '\0' + FoldedKey(phrase.code);
}

std::string Named(const StoredPhrase& phrase) {
    return QuotedUtf8(phrase.category) + " / " + QuotedUtf8(phrase.code);
}

} // namespace

ImportPlan PlanImport(const std::vector<LibraryRow>& existing,
                      const std::vector<IncomingPhrase>& incoming, DuplicateRule rule) {
    ImportPlan plan;
    std::unordered_set<std::string> categories;
    std::unordered_map<std::string, Holder> holders;
    for (const LibraryRow& row : existing) {
        categories.insert(FoldedKey(row.phrase.category));
        if (!row.phrase.code.empty()) {
            Holder& holder = holders[Key(row.phrase)];
            holder.ids.push_back(row.id);
            holder.contents.push_back(&row.phrase.content);
        }
    }

    const auto add = [&](const StoredPhrase& phrase, const std::string& where) {
        categories.insert(FoldedKey(phrase.category));
        if (!phrase.code.empty()) {
            holders[Key(phrase)].insert = plan.inserts.size();
        }
        plan.inserts.push_back(PlannedInsert{phrase, where});
        ++plan.imported;
    };

    for (const IncomingPhrase& record : incoming) {
        const StoredPhrase& phrase = record.phrase;
        if (IsCategoryRow(phrase)) {
            if (categories.count(FoldedKey(phrase.category)) != 0) {
                ++plan.skipped;
                plan.report.push_back(record.where + ": category " + QuotedUtf8(phrase.category) +
                                      " is already there: its category row skipped");
            } else {
                add(phrase, record.where);
            }
            continue;
        }
        const auto found = holders.find(Key(phrase));
        if (found == holders.end()) {
            add(phrase, record.where);
            continue;
        }
        Holder& holder = found->second;
        const char* place = holder.ids.empty() ? "earlier in the file" : "in the library";
        switch (rule) {
        case DuplicateRule::Skip:
            ++plan.skipped;
            plan.report.push_back(record.where + ": " + Named(phrase) + " is already " + place +
                                  ": skipped");
            break;
        case DuplicateRule::Replace: {
            bool same = true;
            if (holder.replace) {
                same = plan.replaces[*holder.replace].content == phrase.content;
            } else if (holder.insert) {
                same = plan.inserts[*holder.insert].phrase.content == phrase.content;
            } else {
                for (const std::string* content : holder.contents) {
                    same = same && *content == phrase.content;
                }
            }
            if (same) {
                ++plan.skipped;
                plan.report.push_back(record.where + ": " + Named(phrase) + " is already " + place +
                                      " with this text: skipped");
                break;
            }
            if (holder.replace) {
                plan.replaces[*holder.replace].content = phrase.content;
            } else if (holder.insert) {
                plan.inserts[*holder.insert].phrase.content = phrase.content;
            } else {
                holder.replace = plan.replaces.size();
                plan.replaces.push_back(PlannedReplace{holder.ids, phrase.content, record.where});
            }
            ++plan.replaced;
            plan.report.push_back(record.where + ": " + Named(phrase) + " " + place +
                                  ": text replaced");
            break;
        }
        case DuplicateRule::KeepBoth:
            for (std::size_t n = 2;; ++n) {
                StoredPhrase renamed = phrase;
                renamed.code += " (" + std::to_string(n) + ")";
                if (renamed.code.size() > kNameLimit) {
                    plan.refusal = Refusal{
                        record.where, record.codeField,
                        "to keep both, the shortcut would become " + QuotedUtf8(renamed.code) +
                            ", " + std::to_string(renamed.code.size()) + " bytes, more than the " +
                            std::to_string(kNameLimit) + " the library holds"};
                    return plan;
                }
                if (holders.count(Key(renamed)) == 0) {
                    plan.report.push_back(record.where + ": " + Named(phrase) + " is already " +
                                          place + ": added as " + QuotedUtf8(renamed.code));
                    add(renamed, record.where);
                    break;
                }
            }
            break;
        }
    }
    return plan;
}

} // namespace brevicor::library
