#pragma once

#include "store/phrase_history.h"

#include <functional>
#include <string>

// Bringing phrases back from the history: a deleted phrase returns with its PhraseID when that
// number is free; an earlier text goes back over the current one, which is recorded in its
// turn; one line of a deleted category brings the whole category back. Each restore is one
// transaction, and the history lines it used go with it.
namespace brevicor {

// What to do when a restored phrase's category and shortcut are taken by another phrase.
enum class ConflictChoice { KeepBoth, Replace, Skip };

// Asked once per phrase whose shortcut is taken, before anything is written.
using ConflictQuestion = std::function<ConflictChoice(const HistoryEntry& restoring)>;

struct RestoreResult {
    WriteResult write;
    int restored = 0; // phrase rows put back
    int skipped = 0;  // phrases the user chose to leave in the history
};

// Restores the history line with this HistoryID, with the rest of its category when it records
// a category deletion. A line that is no longer in the history restores nothing and succeeds.
RestoreResult RestoreFromHistory(int historyId, const ConflictQuestion& ask);

// The shortcut a restored phrase gets when both are kept: " (restored)" appended, cut to the
// 255 bytes a shortcut holds.
std::string RestoredShortcut(const std::string& code);

} // namespace brevicor
