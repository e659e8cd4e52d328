#include "access_ddl.hpp"

#include <cctype>
#include <optional>
#include <vector>

namespace brevicor::engine {

namespace {

struct Token {
    enum class Kind { Word, Quoted, Number, Symbol };
    Kind kind = Kind::Symbol;
    std::string text; // a word upper-cased for comparison in `upper`, quoted names unquoted
    std::string upper;
};

// Splits the statement into words, [bracketed] or "quoted" names, numbers and single
// symbols. Returns nothing for text the Access form never contains (strings, odd quotes).
std::optional<std::vector<Token>> tokenize(const std::string& sql) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c) != 0) {
            ++i;
        } else if (sql.compare(i, 2, "--") == 0) {
            const auto nl = sql.find('\n', i);
            i = nl == std::string::npos ? sql.size() : nl + 1;
        } else if (sql.compare(i, 2, "/*") == 0) {
            const auto close = sql.find("*/", i + 2);
            if (close == std::string::npos) {
                return std::nullopt;
            }
            i = close + 2;
        } else if (std::isalpha(c) != 0 || c == '_') {
            Token t{Token::Kind::Word, {}, {}};
            while (i < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[i])) != 0 || sql[i] == '_')) {
                t.text += sql[i];
                t.upper += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
                ++i;
            }
            out.push_back(std::move(t));
        } else if (std::isdigit(c) != 0) {
            Token t{Token::Kind::Number, {}, {}};
            while (i < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i])) != 0) {
                t.text += sql[i++];
            }
            t.upper = t.text;
            out.push_back(std::move(t));
        } else if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            const auto end = sql.find(close, i + 1);
            if (end == std::string::npos || end == i + 1) {
                return std::nullopt;
            }
            Token t{Token::Kind::Quoted, sql.substr(i + 1, end - i - 1), {}};
            if (t.text.find('"') != std::string::npos) {
                return std::nullopt;
            }
            t.upper = t.text;
            out.push_back(std::move(t));
            i = end + 1;
        } else if (c == '(' || c == ')' || c == ',' || c == ';') {
            out.push_back({Token::Kind::Symbol, std::string(1, static_cast<char>(c)),
                           std::string(1, static_cast<char>(c))});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    while (!out.empty() && out.back().text == ";") {
        out.pop_back();
    }
    return out;
}

bool plain_name(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) != 0) {
        return false;
    }
    for (char ch : name) {
        if (std::isalnum(static_cast<unsigned char>(ch)) == 0 && ch != '_') {
            return false;
        }
    }
    return true;
}

// A name as the library writes it: bare when it can be, otherwise in double quotes.
std::string sql_name(const std::string& name) {
    return plain_name(name) ? name : "\"" + name + "\"";
}

enum class ColumnType { Counter, Text, Memo, Integer, DateTime };

struct Column {
    std::string name;
    ColumnType type = ColumnType::Integer;
    int limit = 0;
    bool primary_key = false;
    bool not_null = false;
};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool word(const char* w) {
        if (pos_ < tokens_.size() && tokens_[pos_].kind == Token::Kind::Word &&
            tokens_[pos_].upper == w) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool symbol(const char* s) {
        if (pos_ < tokens_.size() && tokens_[pos_].kind == Token::Kind::Symbol &&
            tokens_[pos_].text == s) {
            ++pos_;
            return true;
        }
        return false;
    }
    std::optional<std::string> name() {
        if (pos_ < tokens_.size() && (tokens_[pos_].kind == Token::Kind::Word ||
                                      tokens_[pos_].kind == Token::Kind::Quoted)) {
            return tokens_[pos_++].text;
        }
        return std::nullopt;
    }
    std::optional<int> number() {
        if (pos_ < tokens_.size() && tokens_[pos_].kind == Token::Kind::Number &&
            tokens_[pos_].text.size() <= 9) {
            return std::stoi(tokens_[pos_++].text);
        }
        return std::nullopt;
    }
    bool at_end() const { return pos_ == tokens_.size(); }

private:
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

std::optional<Column> parse_column(Parser& p) {
    Column col;
    auto name = p.name();
    if (!name) {
        return std::nullopt;
    }
    col.name = *name;
    bool sized = false;
    if (p.word("COUNTER") || p.word("AUTOINCREMENT")) {
        col.type = ColumnType::Counter;
    } else if (p.word("TEXT") || p.word("VARCHAR") || p.word("CHAR")) {
        col.type = ColumnType::Text;
        col.limit = 255; // an Access text field without a size holds 255
        sized = true;
    } else if (p.word("MEMO") || p.word("LONGTEXT")) {
        col.type = ColumnType::Memo;
    } else if (p.word("LONG") || p.word("INTEGER") || p.word("INT")) {
        col.type = ColumnType::Integer;
    } else if (p.word("DATETIME") || p.word("DATE")) {
        col.type = ColumnType::DateTime;
    } else {
        return std::nullopt;
    }
    if (sized && p.symbol("(")) {
        auto n = p.number();
        if (!n || !p.symbol(")")) {
            return std::nullopt;
        }
        col.limit = *n;
    }
    for (;;) {
        if (p.word("CONSTRAINT")) {
            if (!p.name() || !p.word("PRIMARY") || !p.word("KEY")) {
                return std::nullopt;
            }
            col.primary_key = true;
        } else if (p.word("PRIMARY")) {
            if (!p.word("KEY")) {
                return std::nullopt;
            }
            col.primary_key = true;
        } else if (p.word("NOT")) {
            if (!p.word("NULL")) {
                return std::nullopt;
            }
            col.not_null = true;
        } else {
            return col;
        }
    }
}

std::string column_sql(const Column& col) {
    const std::string name = sql_name(col.name);
    std::string out = name + " ";
    switch (col.type) {
    case ColumnType::Counter:
        return out + "INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnType::Text: {
        const std::string n = std::to_string(col.limit);
        out += "VARCHAR(" + n + ")";
        if (col.not_null) {
            out += " NOT NULL";
        }
        // The constraint's name carries the limit: the driver reads it back to report 22001.
        return out + " COLLATE NOCASE CONSTRAINT " + sql_name(col.name + "_max_" + n + "_bytes") +
               " CHECK (length(CAST(" + name + " AS BLOB)) <= " + n + ")";
    }
    case ColumnType::Memo:
        return out + "LONGTEXT" + (col.not_null ? " NOT NULL" : "") + " COLLATE NOCASE";
    case ColumnType::Integer:
        return out + "INTEGER" + (col.primary_key ? " PRIMARY KEY" : "") +
               (col.not_null ? " NOT NULL" : "");
    case ColumnType::DateTime:
        return out + "DATETIME" + (col.not_null ? " NOT NULL" : "");
    }
    return out;
}

AccessDdl refused(const std::string& why) {
    return {AccessDdl::Kind::Refused, why};
}

} // namespace

AccessDdl translate_access_ddl(const std::string& sql) {
    auto tokens = tokenize(sql);
    if (!tokens) {
        return {};
    }
    Parser p(std::move(*tokens));
    if (!p.word("CREATE") || !p.word("TABLE")) {
        return {};
    }
    auto table = p.name();
    if (!table || !p.symbol("(")) {
        return {};
    }
    std::vector<Column> columns;
    do {
        auto col = parse_column(p);
        if (!col) {
            return {}; // a definition in the library's own form (COLLATE, CHECK...)
        }
        columns.push_back(std::move(*col));
    } while (p.symbol(","));
    if (!p.symbol(")") || !p.at_end()) {
        return {};
    }

    int counters = 0;
    int keys = 0;
    for (const Column& col : columns) {
        counters += col.type == ColumnType::Counter ? 1 : 0;
        keys += col.primary_key || col.type == ColumnType::Counter ? 1 : 0;
        if (col.primary_key && col.type != ColumnType::Counter && col.type != ColumnType::Integer) {
            // A key on a text column needs an index, and an index's order would follow
            // whichever comparison rule wrote it.
            return refused("A text field cannot be the primary key of a library table: '" +
                           col.name + "'.");
        }
        if (col.type == ColumnType::Text && (col.limit < 1 || col.limit > 255)) {
            return refused("A text field holds 1 to 255 characters: '" + col.name + "'.");
        }
    }
    if (counters > 1) {
        return refused("A table can have only one AutoNumber field.");
    }
    if (keys > 1) {
        return refused("A table can have only one primary key field.");
    }

    std::string out = "CREATE TABLE " + sql_name(*table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out += (i == 0 ? "" : ", ") + column_sql(columns[i]);
    }
    out += ")";
    return {AccessDdl::Kind::Translated, out};
}

} // namespace brevicor::engine
