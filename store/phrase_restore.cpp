#include "store/phrase_restore.h"

#include "store/content_cache.h"

#include "store/odbc_session.h"
#include "store/sql_text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace brevicor {

namespace {

constexpr std::size_t kShortcutMaxBytes = 255;

enum class Action {
    PutBackText,   // the phrase still exists: its earlier text goes back
    Insert,        // the phrase comes back as it was
    InsertRenamed, // it comes back beside the phrase that took its shortcut
    Replace,       // it comes back in place of that phrase
    DropLine,      // nothing to bring back (a placeholder of a category that exists again)
};

struct Plan {
    HistoryEntry entry;
    Action action = Action::Insert;
};

int Count(const std::string& statement) {
    return ParseDecimal(ReadFirstValue(statement));
}

bool PhraseIdTaken(int phraseId) {
    return Count(FormatStatement("SELECT COUNT(PhraseID) FROM phrase WHERE PhraseID = %d",
                                 phraseId)) > 0;
}

std::string SameShortcut(const std::string& category, const std::string& code) {
    return FormatStatement("category = '%s' AND code = '%s'", QuoteLiteral(category).c_str(),
                           QuoteLiteral(code).c_str());
}

bool IsPlaceholder(const HistoryEntry& e) {
    return e.code.empty() && e.content.empty();
}

// The lines one restore brings back: the line itself, or every line of its deleted category,
// oldest first so that the rows come back in their old order.
std::vector<HistoryEntry> LinesToRestore(int historyId, WriteResult& failure) {
    failure = WriteResult{true, {}};
    std::vector<HistoryEntry> all = LoadHistory(&failure);
    auto it = std::find_if(all.begin(), all.end(),
                           [historyId](const HistoryEntry& e) { return e.historyId == historyId; });
    if (it == all.end()) {
        return {};
    }
    if (it->whatHappened != HistoryChangeText(HistoryChange::CategoryDeleted)) {
        return {*it};
    }
    std::vector<HistoryEntry> lines;
    for (auto line = all.rbegin(); line != all.rend(); ++line) {
        if (line->changeNo == it->changeNo &&
            line->whatHappened == HistoryChangeText(HistoryChange::CategoryDeleted)) {
            lines.push_back(*line);
        }
    }
    return lines;
}

// Copies the history line into the phrase table, with its old PhraseID when that is free and,
// when given, another shortcut.
bool InsertFromHistory(const HistoryEntry& e, const std::optional<std::string>& code,
                       WriteResult& failure) {
    std::string codeColumn =
        code ? FormatStatement("'%s'", QuoteLiteral(*code).c_str()) : std::string("code");
    if (e.phraseId > 0 && !PhraseIdTaken(e.phraseId)) {
        return history_detail::RunStep(
            FormatStatement("INSERT INTO phrase (PhraseID, category, code, content) SELECT "
                            "PhraseID, category, %s, content FROM phrase_history WHERE "
                            "HistoryID = %d",
                            codeColumn.c_str(), e.historyId),
            failure);
    }
    return history_detail::RunStep(
        FormatStatement("INSERT INTO phrase (category, code, content) SELECT category, %s, "
                        "content FROM phrase_history WHERE HistoryID = %d",
                        codeColumn.c_str(), e.historyId),
        failure);
}

bool Carry(const Plan& plan, WriteResult& failure) {
    const HistoryEntry& e = plan.entry;
    using history_detail::RecordRows;
    using history_detail::RunStep;
    switch (plan.action) {
    case Action::PutBackText: {
        std::string thisPhrase = FormatStatement("PhraseID = %d", e.phraseId);
        if (!RecordRows(HistoryChange::TextChanged, thisPhrase, failure) ||
            !RunStep("DELETE FROM phrase WHERE " + thisPhrase, failure) ||
            !InsertFromHistory(e, std::nullopt, failure)) {
            return false;
        }
        break;
    }
    case Action::Insert:
        if (!InsertFromHistory(e, std::nullopt, failure)) {
            return false;
        }
        break;
    case Action::InsertRenamed:
        if (!InsertFromHistory(e, RestoredShortcut(e.code), failure)) {
            return false;
        }
        break;
    case Action::Replace: {
        // The phrase that gives way is kept in the history like any overwritten text.
        std::string taken = SameShortcut(e.category, e.code);
        if (!RecordRows(HistoryChange::TextChanged, taken, failure) ||
            !RunStep("DELETE FROM phrase WHERE " + taken, failure) ||
            !InsertFromHistory(e, std::nullopt, failure)) {
            return false;
        }
        break;
    }
    case Action::DropLine:
        break;
    }
    return RunStep(FormatStatement("DELETE FROM phrase_history WHERE HistoryID = %d", e.historyId),
                   failure);
}

} // namespace

std::string RestoredShortcut(const std::string& code) {
    std::string renamed = code + " (restored)";
    if (renamed.size() > kShortcutMaxBytes) {
        renamed.resize(kShortcutMaxBytes);
    }
    return renamed;
}

RestoreResult RestoreFromHistory(int historyId, const ConflictQuestion& ask) {
    RestoreResult result;
    // Everything is decided, and every question asked, before the transaction opens: the
    // library is never held locked while a question waits for the user.
    std::vector<Plan> plans;
    std::vector<HistoryEntry> lines = LinesToRestore(historyId, result.write);
    if (!result.write.stored) {
        return result; // the history could not be read: nothing is restored, nothing is lost
    }
    for (HistoryEntry& line : lines) {
        Plan plan{std::move(line), Action::Insert};
        const HistoryEntry& e = plan.entry;
        if (e.whatHappened == HistoryChangeText(HistoryChange::TextChanged) &&
            PhraseIdTaken(e.phraseId)) {
            plan.action = Action::PutBackText;
        } else if (IsPlaceholder(e)) {
            bool categoryExists =
                Count(FormatStatement("SELECT COUNT(PhraseID) FROM phrase WHERE category = '%s'",
                                      QuoteLiteral(e.category).c_str())) > 0;
            plan.action = categoryExists ? Action::DropLine : Action::Insert;
        } else if (Count("SELECT COUNT(PhraseID) FROM phrase WHERE " +
                         SameShortcut(e.category, e.code)) > 0) {
            switch (ask(e)) {
            case ConflictChoice::KeepBoth:
                plan.action = Action::InsertRenamed;
                break;
            case ConflictChoice::Replace:
                plan.action = Action::Replace;
                break;
            case ConflictChoice::Skip:
                ++result.skipped;
                continue;
            }
        }
        plans.push_back(std::move(plan));
    }
    result.write.stored = true;
    if (plans.empty()) {
        return result;
    }

    WriteResult table = EnsureHistoryTable();
    if (!table.stored) {
        result.write = table;
        return result;
    }
    StoreTransaction transaction;
    if (!transaction.Started()) {
        result.write = WriteResult{false, LastDriverMessage()};
        if (result.write.message.empty()) {
            result.write.message = "The phrase library could not be reached.";
        }
        return result;
    }
    WriteResult failure;
    int restored = 0;
    for (const Plan& plan : plans) {
        if (!Carry(plan, failure)) {
            result.write = failure;
            return result; // rolled back: every history line stays
        }
        if (plan.action != Action::DropLine) {
            ++restored;
        }
    }
    if (!history_detail::PruneHistory(failure)) {
        result.write = failure;
        return result;
    }
    if (!transaction.Commit()) {
        result.write = WriteResult{false, LastDriverMessage()};
        return result;
    }
    LoadContentCache(); // restored texts preview at once
    result.restored = restored;
    return result;
}

} // namespace brevicor
