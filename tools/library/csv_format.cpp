#include "tools/library/csv_format.h"

#include "tools/library/text_1252.h"

#include <array>
#include <cctype>
#include <vector>

namespace brevicor::library {

namespace {

constexpr std::array<const char*, 3> kColumns = {"category", "code", "content"};

struct CsvRow {
    std::vector<std::string> fields;
    std::size_t line = 0;
};

// Splits the file into rows, counting lines as it goes (a line break inside a quoted field
// counts too, so every row knows the line it starts on).
class CsvScanner {
public:
    explicit CsvScanner(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_at >= m_text.size(); }

    // Reads the next row; a refusal stops the file. An empty line gives a row without fields.
    std::optional<Refusal> Next(CsvRow& row) {
        row.fields.clear();
        row.line = m_line;
        if (AtLineBreak()) {
            SkipLineBreak();
            return std::nullopt;
        }
        for (;;) {
            std::string field;
            if (auto refusal = ReadField(row, field)) {
                return refusal;
            }
            row.fields.push_back(std::move(field));
            if (AtEnd()) {
                return std::nullopt;
            }
            if (AtLineBreak()) {
                SkipLineBreak();
                return std::nullopt;
            }
            ++m_at; // the comma
        }
    }

private:
    bool AtLineBreak() const { return !AtEnd() && (m_text[m_at] == '\r' || m_text[m_at] == '\n'); }

    void SkipLineBreak() {
        if (m_text[m_at] == '\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '\n') {
            ++m_at;
        }
        ++m_at;
        ++m_line;
    }

    std::string FieldName(const CsvRow& row) const {
        const std::size_t index = row.fields.size();
        return index < kColumns.size() ? kColumns[index] : std::to_string(index + 1);
    }

    std::optional<Refusal> ReadField(const CsvRow& row, std::string& field) {
        const std::string where = "line " + std::to_string(row.line);
        if (!AtEnd() && m_text[m_at] == '"') {
            const std::size_t openedOn = m_line;
            ++m_at;
            for (;;) {
                if (AtEnd()) {
                    return Refusal{where, FieldName(row),
                                   "the quoted field opened on line " + std::to_string(openedOn) +
                                       " is never closed"};
                }
                const char c = m_text[m_at];
                if (c == '"') {
                    if (m_at + 1 < m_text.size() && m_text[m_at + 1] == '"') {
                        field += '"';
                        m_at += 2;
                        continue;
                    }
                    ++m_at;
                    break;
                }
                if (AtLineBreak()) {
                    // Kept as it is here; the import turns every line break into CR LF.
                    const std::size_t from = m_at;
                    SkipLineBreak();
                    field.append(m_text.substr(from, m_at - from));
                    continue;
                }
                field += c;
                ++m_at;
            }
            if (!AtEnd() && m_text[m_at] != ',' && !AtLineBreak()) {
                return Refusal{where, FieldName(row),
                               "text follows the closing quote (a quote inside a quoted field "
                               "is written twice)"};
            }
            return std::nullopt;
        }
        while (!AtEnd() && m_text[m_at] != ',' && !AtLineBreak()) {
            if (m_text[m_at] == '"') {
                return Refusal{where, FieldName(row),
                               "a quote inside a field that does not start with one (such a "
                               "field must be quoted, its quotes written twice)"};
            }
            field += m_text[m_at++];
        }
        return std::nullopt;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_line = 1;
};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Which column of the file each of category, code and content is in.
std::optional<std::array<std::size_t, 3>> HeaderOrder(const CsvRow& header) {
    if (header.fields.size() != kColumns.size()) {
        return std::nullopt;
    }
    std::array<std::size_t, 3> order{};
    std::array<bool, 3> seen{};
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = Lowered(Trimmed(header.fields[i]));
        bool known = false;
        for (std::size_t c = 0; c < kColumns.size(); ++c) {
            if (name == kColumns[c] && !seen[c]) {
                seen[c] = true;
                order[c] = i;
                known = true;
            }
        }
        if (!known) {
            return std::nullopt;
        }
    }
    return order;
}

bool NeedsQuotes(const std::string& field) {
    return field.find_first_of(",\"\r\n") != std::string::npos;
}

void AppendField(std::string& line, const std::string& field) {
    if (!NeedsQuotes(field)) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        line += c;
        if (c == '"') {
            line += '"';
        }
    }
    line += '"';
}

} // namespace

RecordsRead ReadCsv(std::string_view file) {
    RecordsRead result;
    CsvScanner scanner(WithoutByteOrderMark(file));
    CsvRow row;
    std::optional<std::array<std::size_t, 3>> order;
    while (!scanner.AtEnd()) {
        if (auto refusal = scanner.Next(row)) {
            result.refusal = std::move(refusal);
            return result;
        }
        if (row.fields.empty()) {
            continue;
        }
        const std::string where = "line " + std::to_string(row.line);
        if (!order) {
            order = HeaderOrder(row);
            if (!order) {
                result.refusal =
                    Refusal{where, "", "the first line must be the header category,code,content"};
                return result;
            }
            continue;
        }
        if (row.fields.size() != kColumns.size()) {
            result.refusal = Refusal{where, "",
                                     std::to_string(row.fields.size()) +
                                         (row.fields.size() == 1 ? " field" : " fields") +
                                         " where the header has 3 (category,code,content)"};
            return result;
        }
        result.records.push_back(PhraseRecord{row.fields[(*order)[0]], row.fields[(*order)[1]],
                                              row.fields[(*order)[2]], where});
    }
    if (!order) {
        result.refusal = Refusal{"line 1", "",
                                 "the file is empty: not even the header "
                                 "category,code,content is there"};
    }
    return result;
}

std::string CsvLine(const PhraseRecord& record) {
    std::string line;
    line.reserve(record.category.size() + record.code.size() + record.content.size() + 8);
    AppendField(line, record.category);
    line += ',';
    AppendField(line, record.code);
    line += ',';
    AppendField(line, record.content);
    line += "\r\n";
    return line;
}

} // namespace brevicor::library
