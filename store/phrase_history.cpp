#include "store/phrase_history.h"

#include "store/content_cache.h"

#include "store/odbc_session.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <array>
#include <memory>

namespace brevicor {

namespace {

// In Access SQL, so Windows' Access driver and our engine make the same table. The AutoNumber
// gives every row a HistoryID that only grows, which is what "newest first" sorts by.
constexpr char kHistoryTableDefinition[] =
    "CREATE TABLE phrase_history (HistoryID COUNTER CONSTRAINT phrase_history_key PRIMARY KEY, "
    "change_no INTEGER NOT NULL, PhraseID INTEGER, category TEXT(255), code TEXT(255), "
    "content MEMO, happened_at DATETIME, what_happened TEXT(32))";

constexpr char kUnreachable[] = "The phrase library could not be reached.";

// The store generation in which the table was last known to exist; none at first.
unsigned g_tableKnownIn = 0;
bool g_tableKnown = false;

WriteResult Failed(std::string message) {
    WriteResult result;
    result.message = message.empty() ? kUnreachable : std::move(message);
    return result;
}

bool FormatLocal(std::time_t when, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &when) == 0;
#else
    return localtime_r(&when, &out) != nullptr;
#endif
}

std::string FormatTm(const std::tm& tm) {
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

// The oldest moment that pruning keeps regardless of the count: the same local clock time
// kHistoryKeptDays calendar days ago.
std::string RetentionCutoff() {
    std::tm tm{};
    if (!FormatLocal(std::time(nullptr), tm)) {
        return {};
    }
    tm.tm_mday -= kHistoryKeptDays;
    tm.tm_isdst = -1;
    std::mktime(&tm); // normalises the day back into a real date
    return FormatTm(tm);
}

} // namespace

const char* HistoryChangeText(HistoryChange change) {
    switch (change) {
    case HistoryChange::PhraseDeleted:
        return "phrase deleted";
    case HistoryChange::TextChanged:
        return "text changed";
    case HistoryChange::CategoryDeleted:
        return "category deleted";
    }
    return "";
}

const char* HistoryTableDefinition() {
    return kHistoryTableDefinition;
}

std::string LocalTimestamp(std::time_t when) {
    std::tm tm{};
    if (!FormatLocal(when, tm)) {
        return {};
    }
    return FormatTm(tm);
}

WriteResult EnsureHistoryTable() {
    if (g_tableKnown && g_tableKnownIn == StoreGeneration()) {
        return WriteResult{true, {}};
    }
    bool present = false;
    {
        StoreOperation probe("SELECT COUNT(HistoryID) FROM phrase_history");
        present = probe.Executed();
    }
    if (!present) {
        // Only a phrase library gains a history: a damaged file, or one that is not a library
        // at all (an empty file opens as an empty database), is never written to.
        {
            StoreOperation phrases("SELECT COUNT(PhraseID) FROM phrase");
            if (!phrases.Executed()) {
                return Failed(LastDriverMessage());
            }
        }
        StoreOperation create(kHistoryTableDefinition);
        if (!create.Executed()) {
            return Failed(LastDriverMessage());
        }
    }
    g_tableKnown = true;
    g_tableKnownIn = StoreGeneration();
    return WriteResult{true, {}};
}

namespace history_detail {

bool RunStep(const std::string& statement, WriteResult& failure) {
    StoreOperation op(statement);
    if (op.Executed()) {
        return true;
    }
    failure = Failed(LastDriverMessage());
    return false;
}

bool RecordRows(HistoryChange change, const std::string& where, WriteResult& failure) {
    // One number per change, so that the rows of one deleted category are found together.
    int changeNo = ParseDecimal(ReadFirstValue("SELECT MAX(change_no) FROM phrase_history")) + 1;
    // Copied inside the library, so that every byte of every text is kept, however long.
    return RunStep(
        FormatStatement("INSERT INTO phrase_history (change_no, PhraseID, category, code, "
                        "content, happened_at, what_happened) SELECT %d, PhraseID, category, "
                        "code, content, '%s', '%s' FROM phrase WHERE %s",
                        changeNo, QuoteLiteral(LocalTimestamp(std::time(nullptr))).c_str(),
                        HistoryChangeText(change), where.c_str()),
        failure);
}

// Deletes entries that are past both limits. Whole changes go or stay: a deleted category is
// never kept in part.
bool PruneHistory(WriteResult& failure) {
    int count = ParseDecimal(ReadFirstValue("SELECT COUNT(HistoryID) FROM phrase_history"));
    if (count <= kHistoryKeptEntries) {
        return true;
    }
    // The change number of the kHistoryKeptEntries-th newest entry: it and everything newer
    // stays.
    std::string oldestKept;
    {
        StoreOperation op("SELECT change_no FROM phrase_history ORDER BY HistoryID DESC");
        if (!op.HasStatement()) {
            return true;
        }
        op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
        int fetched = 0;
        while (fetched < kHistoryKeptEntries && op.FetchRow()) {
            ++fetched;
        }
        if (fetched < kHistoryKeptEntries) {
            return true;
        }
        oldestKept = ColumnText(g_columnBuffer1, g_columnIndicator1);
    }
    std::string cutoff = RetentionCutoff();
    if (cutoff.empty()) {
        return true; // without a clock nothing can be shown old enough
    }
    return RunStep(
        FormatStatement("DELETE FROM phrase_history WHERE change_no < %d AND happened_at < '%s'",
                        ParseDecimal(oldestKept), QuoteLiteral(cutoff).c_str()),
        failure);
}

} // namespace history_detail

WriteResult RunRecordedWrite(HistoryChange change, const std::string& where,
                             const std::string& statement) {
    WriteResult table = EnsureHistoryTable();
    if (!table.stored) {
        return table;
    }
    StoreTransaction transaction;
    if (!transaction.Started()) {
        // Without manual commit the change could land without its record: write nothing.
        return Failed(LastDriverMessage());
    }
    WriteResult failure;
    if (!history_detail::RecordRows(change, where, failure) ||
        !history_detail::RunStep(statement, failure) || !history_detail::PruneHistory(failure)) {
        return failure; // the transaction rolls back as it goes
    }
    if (!transaction.Commit()) {
        return Failed(LastDriverMessage());
    }
    LoadContentCache(); // the preview shows what the library now holds
    return WriteResult{true, {}};
}

std::vector<HistoryEntry> LoadHistory(WriteResult* failure) {
    std::vector<HistoryEntry> entries;
    StoreOperation op("SELECT HistoryID, change_no, PhraseID, category, code, content, "
                      "happened_at, what_happened FROM phrase_history ORDER BY HistoryID DESC");
    if (!op.Executed()) {
        if (failure != nullptr) {
            *failure = Failed(LastDriverMessage());
        }
        return entries;
    }
    constexpr int kColumns = 8;
    using Buffer = std::array<char, kColumnBufferSize>;
    auto buffers = std::make_unique<std::array<Buffer, kColumns>>();
    std::array<SQLLEN, kColumns> indicators{};
    for (int i = 0; i < kColumns; ++i) {
        op.BindColumn(static_cast<SQLUSMALLINT>(i + 1), (*buffers)[i].data(), &indicators[i]);
    }
    auto text = [&](int i) { return ColumnText((*buffers)[i].data(), indicators[i]); };
    while (op.FetchRow()) {
        HistoryEntry e;
        e.historyId = ParseDecimal(text(0));
        e.changeNo = ParseDecimal(text(1));
        e.phraseId = ParseDecimal(text(2));
        e.category = text(3);
        e.code = text(4);
        e.content = text(5);
        e.happenedAt = text(6);
        e.whatHappened = text(7);
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace brevicor
