#include "store/sql_text.h"

#include <climits>

namespace brevicor {

std::string QuoteLiteral(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size());
    for (char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted;
}

int ParseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string EncodeApostrophes(std::string_view content) {
    std::string encoded;
    encoded.reserve(content.size());
    for (char c : content) {
        if (c == '\'') {
            encoded += kApostropheMarker;
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::string DecodeApostrophes(std::string_view content) {
    std::string decoded;
    decoded.reserve(content.size());
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] == kApostropheMarker[0] && i + 1 < content.size() &&
            content[i + 1] == kApostropheMarker[1]) {
            decoded += '\'';
            ++i;
        } else {
            decoded += content[i];
        }
    }
    return decoded;
}

} // namespace brevicor
