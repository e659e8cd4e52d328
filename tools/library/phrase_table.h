#pragma once

// The statements the tool runs on the phrase table, in SQL that the Access driver, our engine
// and other ODBC drivers all read.

#include "tools/library/library_text.h"
#include "tools/library/odbc_handles.h"

#include <functional>
#include <vector>

namespace brevicor::library {

std::size_t CountRows(const OdbcConnection& connection);

// Every row, ordered by category, then shortcut (in the library's own order), then PhraseID;
// values read whole, however long.
void ForEachRow(const OdbcConnection& connection,
                const std::function<void(const LibraryRow&)>& visit);
std::vector<LibraryRow> ReadRows(const OdbcConnection& connection);

// Writes an import: each statement prepared once and run with bound values.
class PhraseWriter {
public:
    explicit PhraseWriter(const OdbcConnection& connection);

    void Insert(const StoredPhrase& phrase);
    void ReplaceContent(std::int32_t id, const std::string& content);

private:
    OdbcStatement m_insert;
    OdbcStatement m_replace;
};

} // namespace brevicor::library
