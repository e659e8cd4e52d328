#include "tools/library/json_format.h"

#include "tools/library/text_1252.h"

#include <cstdio>

namespace brevicor::library {

namespace {

// Nesting deeper than this in members the import passes over is refused rather than followed:
// a hostile file must not be able to exhaust the stack.
constexpr int kMaxDepth = 64;

// A recursive-descent reader that keeps only what a phrase needs and says where it stopped.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    RecordsRead ReadArray() {
        SkipSpace();
        if (!Consume('[')) {
            Fail("", "the file must hold one JSON array of phrase objects");
            return Done();
        }
        SkipSpace();
        if (!Consume(']')) {
            for (;;) {
                if (!ReadRecord()) {
                    return Done();
                }
                SkipSpace();
                if (Consume(']')) {
                    break;
                }
                if (!Consume(',')) {
                    Fail("", "expected , or ] after the object");
                    return Done();
                }
                SkipSpace();
            }
        }
        SkipSpace();
        if (!AtEnd()) {
            Fail("", "text follows the closing ] of the array");
        }
        return Done();
    }

private:
    bool AtEnd() const { return m_at >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }

    bool Consume(char c) {
        if (Peek() != c || AtEnd()) {
            return false;
        }
        ++m_at;
        return true;
    }

    void SkipSpace() {
        while (!AtEnd()) {
            const char c = m_text[m_at];
            if (c == '\n') {
                ++m_line;
                m_lineStart = m_at + 1;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
            ++m_at;
        }
    }

    std::string Position() const {
        return "line " + std::to_string(m_line) + ", column " +
               std::to_string(m_at - m_lineStart + 1);
    }

    // Records the first failure only; `field` names the phrase field being read, if any.
    void Fail(const std::string& field, const std::string& reason) {
        if (m_result.refusal) {
            return;
        }
        const std::string where =
            m_recordWhere.empty() ? Position() : m_recordWhere + ", at " + Position();
        m_result.refusal = Refusal{where, field, reason};
    }

    RecordsRead Done() { return std::move(m_result); }

    bool ReadRecord() {
        const std::size_t number = m_result.records.size() + 1;
        m_recordWhere =
            "record " + std::to_string(number) + " (line " + std::to_string(m_line) + ")";
        const std::string where = m_recordWhere;
        if (!Consume('{')) {
            Fail("", "each element of the array must be an object with category, code and "
                     "content");
            return false;
        }
        PhraseRecord record;
        record.where = where;
        bool seen[3] = {false, false, false};
        std::string* targets[3] = {&record.category, &record.code, &record.content};
        static constexpr const char* kNames[3] = {"category", "code", "content"};
        SkipSpace();
        if (!Consume('}')) {
            for (;;) {
                std::string key;
                if (Peek() != '"') {
                    Fail("", "expected a member name in quotes");
                    return false;
                }
                if (!ReadString("", key)) {
                    return false;
                }
                SkipSpace();
                if (!Consume(':')) {
                    Fail("", "expected : after the member name");
                    return false;
                }
                SkipSpace();
                int slot = -1;
                for (int i = 0; i < 3; ++i) {
                    if (key == kNames[i]) {
                        slot = i;
                    }
                }
                if (slot < 0) {
                    if (!SkipValue(1)) {
                        return false;
                    }
                } else {
                    if (seen[slot]) {
                        Fail(kNames[slot], "given twice in the same object");
                        return false;
                    }
                    seen[slot] = true;
                    if (Peek() != '"') {
                        Fail(kNames[slot], "must be a string");
                        return false;
                    }
                    if (!ReadString(kNames[slot], *targets[slot])) {
                        return false;
                    }
                }
                SkipSpace();
                if (Consume('}')) {
                    break;
                }
                if (!Consume(',')) {
                    Fail("", "expected , or } after the member");
                    return false;
                }
                SkipSpace();
            }
        }
        for (int i = 0; i < 3; ++i) {
            if (!seen[i]) {
                m_recordWhere = where;
                m_result.refusal = Refusal{where, kNames[i], "missing"};
                return false;
            }
        }
        m_result.records.push_back(std::move(record));
        m_recordWhere.clear();
        return true;
    }

    std::optional<unsigned> ReadHex4() {
        if (m_at + 4 > m_text.size()) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at + static_cast<std::size_t>(i)];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        m_at += 4;
        return value;
    }

    // A string at the current position (which is its opening quote), unescaped into `out`.
    bool ReadString(const std::string& field, std::string& out) {
        ++m_at;
        for (;;) {
            if (AtEnd()) {
                Fail(field, "the string is never closed");
                return false;
            }
            const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c < 0x20) {
                Fail(field, "a control character inside a string must be escaped (a line "
                            "break is written \\r\\n)");
                return false;
            }
            if (c >= 0x80) {
                const std::size_t from = m_at;
                if (!DecodeUtf8(m_text, m_at)) {
                    Fail(field, "the text is not valid UTF-8");
                    return false;
                }
                out.append(m_text.substr(from, m_at - from));
                continue;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                ++m_at;
                continue;
            }
            ++m_at;
            const char e = Peek();
            ++m_at;
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                auto unit = ReadHex4();
                if (!unit) {
                    Fail(field, "\\u must be followed by four hexadecimal digits");
                    return false;
                }
                char32_t cp = *unit;
                if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    Fail(field, "a lone low surrogate escape is not a character");
                    return false;
                }
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    std::optional<unsigned> low;
                    if (m_text.substr(m_at, 2) == "\\u") {
                        m_at += 2;
                        low = ReadHex4();
                    }
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                        Fail(field, "a high surrogate escape without its low half is not a "
                                    "character");
                        return false;
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                }
                AppendUtf8(out, cp);
                break;
            }
            default:
                Fail(field, "unknown escape in a string");
                return false;
            }
        }
    }

    bool SkipLiteral(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word) {
            Fail("", "expected a JSON value");
            return false;
        }
        m_at += word.size();
        return true;
    }

    bool SkipNumber() {
        const std::size_t from = m_at;
        Consume('-');
        if (!Consume('0')) {
            if (!(Peek() >= '1' && Peek() <= '9')) {
                m_at = from;
                Fail("", "expected a JSON value");
                return false;
            }
            while (Peek() >= '0' && Peek() <= '9') {
                ++m_at;
            }
        }
        if (Consume('.')) {
            if (!(Peek() >= '0' && Peek() <= '9')) {
                Fail("", "a number needs digits after its decimal point");
                return false;
            }
            while (Peek() >= '0' && Peek() <= '9') {
                ++m_at;
            }
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_at;
            if (Peek() == '+' || Peek() == '-') {
                ++m_at;
            }
            if (!(Peek() >= '0' && Peek() <= '9')) {
                Fail("", "a number needs digits in its exponent");
                return false;
            }
            while (Peek() >= '0' && Peek() <= '9') {
                ++m_at;
            }
        }
        return true;
    }

    // A member's value the import does not use: checked to be JSON, then forgotten.
    bool SkipValue(int depth) {
        if (depth > kMaxDepth) {
            Fail("", "values nested more than " + std::to_string(kMaxDepth) + " deep");
            return false;
        }
        std::string ignored;
        switch (Peek()) {
        case '"':
            return ReadString("", ignored);
        case 't':
            return SkipLiteral("true");
        case 'f':
            return SkipLiteral("false");
        case 'n':
            return SkipLiteral("null");
        case '[':
        case '{': {
            const bool object = Peek() == '{';
            const char close = object ? '}' : ']';
            ++m_at;
            SkipSpace();
            if (Consume(close)) {
                return true;
            }
            for (;;) {
                if (object) {
                    if (Peek() != '"' || !ReadString("", ignored)) {
                        Fail("", "expected a member name in quotes");
                        return false;
                    }
                    SkipSpace();
                    if (!Consume(':')) {
                        Fail("", "expected : after the member name");
                        return false;
                    }
                    SkipSpace();
                }
                if (!SkipValue(depth + 1)) {
                    return false;
                }
                SkipSpace();
                if (Consume(close)) {
                    return true;
                }
                if (!Consume(',')) {
                    Fail("",
                         object ? "expected , or } in an object" : "expected , or ] in an array");
                    return false;
                }
                SkipSpace();
            }
        }
        default:
            return SkipNumber();
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_line = 1;
    std::size_t m_lineStart = 0;
    std::string m_recordWhere;
    RecordsRead m_result;
};

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

} // namespace

RecordsRead ReadJson(std::string_view file) {
    return JsonReader(WithoutByteOrderMark(file)).ReadArray();
}

std::string JsonObject(const PhraseRecord& record) {
    std::string out = "{\"category\": ";
    AppendJsonString(out, record.category);
    out += ", \"code\": ";
    AppendJsonString(out, record.code);
    out += ", \"content\": ";
    AppendJsonString(out, record.content);
    out += '}';
    return out;
}

} // namespace brevicor::library
