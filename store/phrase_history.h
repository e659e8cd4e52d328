#pragma once

#include "store/phrase_queries.h"

#include <ctime>
#include <string>
#include <vector>

// The phrase history: before a phrase is deleted or its text overwritten, its row as it was goes
// into the table phrase_history of the same library, in the same transaction as the change, so
// that the change and its record land together or not at all.
//
// The table is plain rows: one per phrase row changed, with the phrase's PhraseID, category,
// code and content, when it happened (local time) and what happened. Rows written by one change
// share a change number, so that a deleted category comes back whole.
namespace brevicor {

enum class HistoryChange { PhraseDeleted, TextChanged, CategoryDeleted };

// The words stored in what_happened, also shown to the user.
const char* HistoryChangeText(HistoryChange change);

// History keeps at least this many entries and at least this many days, whichever holds more.
inline constexpr int kHistoryKeptEntries = 1000;
inline constexpr int kHistoryKeptDays = 90;

// The statement that makes the table. It is the one place that names the column types, so that
// it can move to the Access form once the engine reads it.
const char* HistoryTableDefinition();

// Makes the table when the library has none. Known to exist after the first success, until the
// store reconnects. Fails when the table is missing and cannot be made (a read-only library),
// or when the library has no phrase table to keep a history of.
WriteResult EnsureHistoryTable();

// Runs `statement`, which changes the phrase rows matching `where` (a condition on the phrase
// table), after copying those rows into the history, then prunes old entries; all in one
// transaction. Nothing is written when any step fails.
WriteResult RunRecordedWrite(HistoryChange change, const std::string& where,
                             const std::string& statement);

// "YYYY-MM-DD HH:MM:SS" in local time, as the history stores it.
std::string LocalTimestamp(std::time_t when);

// One history row, as the restore list shows it. The content is read cut to the column
// buffer; restoring copies the stored row whole, never this copy.
struct HistoryEntry {
    int historyId = 0;
    int changeNo = 0;
    int phraseId = 0;
    std::string category;
    std::string code;
    std::string content;
    std::string happenedAt;
    std::string whatHappened;
};

// Every entry, newest first. When the history cannot be read, `failure` (if given) says why.
std::vector<HistoryEntry> LoadHistory(WriteResult* failure = nullptr);

namespace history_detail {

// Inside an open transaction: records the rows matching `where` as one change.
// Returns false, with the reason in `failure`, when a statement did not run.
bool RecordRows(HistoryChange change, const std::string& where, WriteResult& failure);

// Runs a statement that returns no rows; false, with the reason, when it did not run.
bool RunStep(const std::string& statement, WriteResult& failure);

// Inside an open transaction: deletes the entries past both limits, whole changes at a time.
bool PruneHistory(WriteResult& failure);

} // namespace history_detail

} // namespace brevicor
