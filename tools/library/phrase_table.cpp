#include "tools/library/phrase_table.h"

namespace brevicor::library {

std::size_t CountRows(const OdbcConnection& connection) {
    OdbcStatement count(connection, "SELECT COUNT(*) FROM phrase");
    count.Execute();
    if (!count.Fetch()) {
        return 0;
    }
    const SQLINTEGER rows = count.Integer(1);
    return rows > 0 ? static_cast<std::size_t>(rows) : 0;
}

void ForEachRow(const OdbcConnection& connection,
                const std::function<void(const LibraryRow&)>& visit) {
    OdbcStatement select(connection, "SELECT PhraseID, category, code, content FROM phrase "
                                     "ORDER BY category, code, PhraseID");
    select.Execute();
    LibraryRow row;
    while (select.Fetch()) {
        row.id = select.Integer(1);
        // A NULL value, which the program never writes, reads as empty text, as in the program.
        row.phrase.category = select.Text(2).value_or("");
        row.phrase.code = select.Text(3).value_or("");
        row.phrase.content = select.Text(4).value_or("");
        visit(row);
    }
}

std::vector<LibraryRow> ReadRows(const OdbcConnection& connection) {
    std::vector<LibraryRow> rows;
    ForEachRow(connection, [&](const LibraryRow& row) { rows.push_back(row); });
    return rows;
}

PhraseWriter::PhraseWriter(const OdbcConnection& connection)
    : m_insert(connection, "INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)"),
      m_replace(connection, "UPDATE phrase SET content = ? WHERE PhraseID = ?") {}

void PhraseWriter::Insert(const StoredPhrase& phrase) {
    m_insert.BindText(1, phrase.category);
    m_insert.BindText(2, phrase.code);
    m_insert.BindText(3, phrase.content, true);
    m_insert.Execute();
}

void PhraseWriter::ReplaceContent(std::int32_t id, const std::string& content) {
    const SQLINTEGER key = id;
    m_replace.BindText(1, content, true);
    m_replace.BindInteger(2, key);
    m_replace.Execute();
}

} // namespace brevicor::library
