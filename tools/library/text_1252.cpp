#include "tools/library/text_1252.h"

#include "engine/fold_1252.hpp"

#include <cstdio>

namespace brevicor::library {

namespace {

// Unicode code points of bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char32_t kHighBytes[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t WidenByte(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kHighBytes[b - 0x80] : char32_t(b);
}

std::optional<unsigned char> NarrowCodePoint(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (unsigned b = 0; b < 32; ++b) {
        if (kHighBytes[b] == c) {
            return static_cast<unsigned char>(0x80 + b);
        }
    }
    return std::nullopt;
}

std::string CodePointName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(at + i))) {
            return std::nullopt;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    at += length;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf8FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) {
        AppendUtf8(out, WidenByte(static_cast<unsigned char>(b)));
    }
    return out;
}

std::string QuotedUtf8(std::string_view bytes) {
    std::string out = "\"";
    out.append(Utf8FromWindows1252(bytes)).append("\"");
    return out;
}

Narrowed Windows1252FromUtf8(std::string_view utf8) {
    Narrowed result;
    result.bytes.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::size_t start = at;
        const auto c = DecodeUtf8(utf8, at);
        if (!c) {
            char buffer[80];
            std::snprintf(buffer, sizeof buffer, "is not valid UTF-8 (byte 0x%02X at byte %zu)",
                          static_cast<unsigned char>(utf8[start]), start + 1);
            result.problem = buffer;
            return result;
        }
        if (*c == 0) {
            result.problem = "holds a NUL character, which library text cannot hold";
            return result;
        }
        const auto b = NarrowCodePoint(*c);
        if (!b) {
            result.problem = "holds " + CodePointName(*c) + " (" +
                             std::string(utf8.substr(start, at - start)) +
                             "), which Windows-1252 cannot hold";
            return result;
        }
        result.bytes += static_cast<char>(*b);
    }
    return result;
}

std::optional<std::size_t> FindInvalidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (!DecodeUtf8(text, at)) {
            return at;
        }
    }
    return std::nullopt;
}

std::string CrLfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string FoldedKey(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) {
        c = static_cast<char>(engine::fold_1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    return text;
}

} // namespace brevicor::library
