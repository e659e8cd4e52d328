#include "store/phrase_queries.h"

#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_history.h"
#include "store/sql_text.h"
#include "store/store_buffers.h"

#include <climits>

namespace brevicor {

namespace {

constexpr char kTable[] = "phrase";

// Runs a statement that returns no rows and reports whether it ran. A searched update or
// delete that matches nothing ran too. After a write that ran, the content cache is reloaded,
// so that the next preview shows the texts as they are now stored.
WriteResult RunWrite(const std::string& statement) {
    WriteResult result;
    {
        StoreOperation op(statement);
        result.stored = op.Executed();
        if (!result.stored) {
            result.message = LastDriverMessage();
            if (result.message.empty()) {
                result.message = "The phrase library could not be reached.";
            }
            return result;
        }
    }
    LoadContentCache();
    return result;
}

// The row count as the driver wrote it; empty when it could not be read.
std::string ReadRowCountText() {
    return ReadFirstValue(FormatStatement("SELECT COUNT(PhraseID) FROM %s", kTable));
}

} // namespace

// Runs a statement, fetches its first row and returns column 1 when the row came and the text
// is not empty. Further rows are not fetched.
std::string ReadFirstValue(const std::string& statement) {
    StoreOperation op(statement);
    if (!op.HasStatement()) {
        return {};
    }
    op.BindColumn(1, g_columnBuffer1, &g_columnIndicator1);
    if (!op.FetchRow()) {
        return {};
    }
    return ColumnText(g_columnBuffer1, g_columnIndicator1);
}

WriteResult AddPhrase(const ComboBoxControl& categoryCombo, const std::string& code,
                      const std::string& content) {
    std::string category = categoryCombo.SelectedText();
    return RunWrite(
        FormatStatement("INSERT INTO %s (category, code, content) VALUES ('%s', '%s', '%s')",
                        kTable, QuoteLiteral(category).c_str(), QuoteLiteral(code).c_str(),
                        QuoteLiteral(EncodeApostrophes(content)).c_str()));
}

WriteResult UpdatePhraseContent(const ComboBoxControl& codeCombo, const std::string& content) {
    std::string code = codeCombo.SelectedText();
    std::string where = FormatStatement("code = '%s'", QuoteLiteral(code).c_str());
    return RunRecordedWrite(HistoryChange::TextChanged, where,
                            FormatStatement("UPDATE %s SET content = '%s' WHERE %s", kTable,
                                            QuoteLiteral(content).c_str(), where.c_str()));
}

WriteResult UpdatePhraseContentInCategory(const std::string& category, const std::string& code,
                                          const std::string& content) {
    std::string where = FormatStatement("code = '%s' AND category = '%s'",
                                        QuoteLiteral(code).c_str(), QuoteLiteral(category).c_str());
    return RunRecordedWrite(HistoryChange::TextChanged, where,
                            FormatStatement("UPDATE %s SET content = '%s' WHERE %s", kTable,
                                            QuoteLiteral(content).c_str(), where.c_str()));
}

DeleteResult DeletePhrase(const std::string& category, const std::string& code) {
    DeleteResult result;
    std::string where = FormatStatement("category = '%s' AND code = '%s'",
                                        QuoteLiteral(category).c_str(), QuoteLiteral(code).c_str());
    result.write =
        RunRecordedWrite(HistoryChange::PhraseDeleted, where,
                         FormatStatement("DELETE FROM %s WHERE %s", kTable, where.c_str()));
    result.rowsLeft = CountPhrases();
    return result;
}

WriteResult AddCategory(const std::string& name) {
    return RunWrite(
        FormatStatement("INSERT INTO %s (category, code, content) VALUES ('%s', '%s', '%s')",
                        kTable, QuoteLiteral(name).c_str(), "", ""));
}

WriteResult DeleteCategory(const std::string& name) {
    std::string where = FormatStatement("category = '%s'", QuoteLiteral(name).c_str());
    return RunRecordedWrite(HistoryChange::CategoryDeleted, where,
                            FormatStatement("DELETE FROM %s WHERE %s", kTable, where.c_str()));
}

int CountPhrases() {
    return ParseDecimal(ReadRowCountText());
}

int CountPhrasesInCategory(const std::string& category) {
    return ParseDecimal(
        ReadFirstValue(FormatStatement("SELECT COUNT(PhraseID) FROM %s WHERE category = '%s'",
                                       kTable, QuoteLiteral(category).c_str())));
}

std::string GetContentByCode(const std::string& code) {
    return ReadFirstValue(FormatStatement("SELECT content FROM %s WHERE code = '%s'", kTable,
                                          QuoteLiteral(code).c_str()));
}

std::string GetContentByCategoryAndCode(const std::string& category, const std::string& code) {
    return ReadFirstValue(
        FormatStatement("SELECT content FROM %s WHERE code = '%s' AND category = '%s'", kTable,
                        QuoteLiteral(code).c_str(), QuoteLiteral(category).c_str()));
}

std::string GetContentByPhraseId(int phraseId) {
    return ReadFirstValue(
        FormatStatement("SELECT content FROM %s WHERE PhraseID = %d", kTable, phraseId));
}

std::string GetContentForCommand(int commandId) {
    // Computed wide, so that no identifier can overflow; such an id names no phrase anyway.
    long long phraseId = static_cast<long long>(commandId) - kPhraseCommandOffset;
    if (phraseId < INT_MIN) {
        return {};
    }
    return GetContentByPhraseId(static_cast<int>(phraseId));
}

std::string NextShortcutName() {
    std::string count = ReadRowCountText();
    if (count.empty()) {
        return {};
    }
    return FormatStatement("%s%d", "Shortcut ", ParseDecimal(count) + 1);
}

} // namespace brevicor
