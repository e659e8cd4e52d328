#include "convert.hpp"

#include <sqlucode.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace brevicor::engine {

std::string character_form(const Value& value) {
    switch (value.kind) {
    case Value::Kind::Integer:
        return std::to_string(value.integer);
    case Value::Kind::Real: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", value.real);
        return buf;
    }
    case Value::Kind::Text:
        return value.bytes;
    case Value::Kind::Blob: {
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string out;
        for (unsigned char c : value.bytes) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        return out;
    }
    case Value::Kind::Null:
        break;
    }
    return {};
}

namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F; the rest equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t widen_byte(unsigned char c) {
    return c >= 0x80 && c <= 0x9F ? kHighControls[c - 0x80] : char16_t(c);
}

enum class Numeric { Ok, NotNumber, OutOfRange };

Numeric as_integer(const Value& v, std::int64_t& out) {
    if (v.kind == Value::Kind::Integer) {
        out = v.integer;
        return Numeric::Ok;
    }
    double d = 0;
    if (v.kind == Value::Kind::Real) {
        d = v.real;
    } else {
        const std::string s = v.bytes;
        char* end = nullptr;
        errno = 0;
        const long long ll = std::strtoll(s.c_str(), &end, 10);
        if (end != s.c_str() && *end == '\0' && errno == 0) {
            out = ll;
            return Numeric::Ok;
        }
        d = std::strtod(s.c_str(), &end);
        if (s.empty() || *end != '\0') {
            return Numeric::NotNumber;
        }
    }
    if (!(d >= -9.2e18 && d <= 9.2e18)) {
        return Numeric::OutOfRange;
    }
    out = static_cast<std::int64_t>(d);
    return Numeric::Ok;
}

Numeric as_real(const Value& v, double& out) {
    if (v.kind == Value::Kind::Integer) {
        out = static_cast<double>(v.integer);
        return Numeric::Ok;
    }
    if (v.kind == Value::Kind::Real) {
        out = v.real;
        return Numeric::Ok;
    }
    char* end = nullptr;
    out = std::strtod(v.bytes.c_str(), &end);
    return v.bytes.empty() || *end != '\0' ? Numeric::NotNumber : Numeric::Ok;
}

template <typename T>
SQLRETURN put_integer(const Value& v, SQLPOINTER target, SQLLEN* indicator, Diagnostics& diag) {
    std::int64_t i = 0;
    switch (as_integer(v, i)) {
    case Numeric::NotNumber:
        return diag.error("22018", "Invalid character value for the requested type.");
    case Numeric::OutOfRange:
        return diag.error("22003", "Numeric value out of range.");
    case Numeric::Ok:
        break;
    }
    if constexpr (std::is_signed_v<T>) {
        if (i < std::numeric_limits<T>::min() || i > std::numeric_limits<T>::max()) {
            return diag.error("22003", "Numeric value out of range.");
        }
    } else {
        if (i < 0 || static_cast<std::uint64_t>(i) > std::numeric_limits<T>::max()) {
            return diag.error("22003", "Numeric value out of range.");
        }
    }
    if (target != nullptr) {
        const T t = static_cast<T>(i);
        std::memcpy(target, &t, sizeof t);
    }
    if (indicator != nullptr) {
        *indicator = sizeof(T);
    }
    return SQL_SUCCESS;
}

template <typename T>
SQLRETURN put_real(const Value& v, SQLPOINTER target, SQLLEN* indicator, Diagnostics& diag) {
    double d = 0;
    if (as_real(v, d) != Numeric::Ok) {
        return diag.error("22018", "Invalid character value for the requested type.");
    }
    if (target != nullptr) {
        const T t = static_cast<T>(d);
        std::memcpy(target, &t, sizeof t);
    }
    if (indicator != nullptr) {
        *indicator = sizeof(T);
    }
    return SQL_SUCCESS;
}

SQLSMALLINT default_c_type(const ColumnInfo& column) {
    switch (column.sql_type) {
    case SQL_INTEGER:
        return SQL_C_SLONG;
    case SQL_BIGINT:
        return SQL_C_SBIGINT;
    case SQL_SMALLINT:
        return SQL_C_SSHORT;
    case SQL_DOUBLE:
        return SQL_C_DOUBLE;
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR;
    }
}

// Variable-length delivery shared by SQL_C_CHAR, SQL_C_WCHAR and SQL_C_BINARY.
// `unit` is the size of one character in the buffer, `terminator` whether a NUL is appended.
SQLRETURN put_pieces(const std::u16string* wide, const std::string* narrow, std::size_t unit,
                     bool terminator, SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator,
                     GetDataProgress* progress, Diagnostics& diag) {
    if (buffer_length < 0) {
        return diag.error("HY090", "Invalid string or buffer length.");
    }
    const std::size_t total = wide != nullptr ? wide->size() : narrow->size();
    const std::size_t offset = progress != nullptr ? progress->offset : 0;
    const std::size_t remaining = total - offset;
    if (indicator != nullptr) {
        *indicator = static_cast<SQLLEN>(remaining * unit);
    }
    std::size_t room = static_cast<std::size_t>(buffer_length) / unit;
    if (terminator && room > 0) {
        --room;
    }
    std::size_t n = 0;
    if (target != nullptr) {
        n = std::min(remaining, room);
        if (wide != nullptr) {
            std::memcpy(target, wide->data() + offset, n * unit);
            if (terminator && buffer_length >= static_cast<SQLLEN>(unit)) {
                static_cast<char16_t*>(target)[n] = 0;
            }
        } else {
            std::memcpy(target, narrow->data() + offset, n);
            if (terminator && buffer_length > 0) {
                static_cast<char*>(target)[n] = '\0';
            }
        }
    }
    if (n < remaining) {
        if (progress != nullptr) {
            progress->offset += n;
        }
        diag.add("01004", "String data, right truncated.");
        return SQL_SUCCESS_WITH_INFO;
    }
    if (progress != nullptr) {
        progress->offset = total;
        progress->finished = true;
    }
    return SQL_SUCCESS;
}

} // namespace

std::u16string widen_1252(std::string_view bytes) {
    std::u16string wide;
    wide.reserve(bytes.size());
    for (unsigned char c : bytes) {
        wide += widen_byte(c);
    }
    return wide;
}

std::string code_point_name(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

std::optional<std::string> narrow_1252(std::u16string_view text, char32_t& refused) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        // Latin-1 code points keep their byte, except where 1252 put other letters (0x80..0x9F).
        if (c <= 0xFF && widen_byte(static_cast<unsigned char>(c)) == c) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* hit = std::find(std::begin(kHighControls), std::end(kHighControls), c);
        if (hit != std::end(kHighControls)) {
            out += static_cast<char>(0x80 + (hit - std::begin(kHighControls)));
            continue;
        }
        refused = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            refused = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
        }
        return std::nullopt;
    }
    return out;
}

SQLRETURN deliver_value(const Value& value, const ColumnInfo& column, SQLSMALLINT c_type,
                        SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator,
                        GetDataProgress* progress, Diagnostics& diag) {
    if (progress != nullptr && progress->finished) {
        return SQL_NO_DATA;
    }
    if (value.kind == Value::Kind::Null) {
        if (indicator == nullptr) {
            return diag.error("22002", "Indicator variable required but not supplied.");
        }
        *indicator = SQL_NULL_DATA;
        if (progress != nullptr) {
            progress->finished = true;
        }
        return SQL_SUCCESS;
    }
    if (c_type == SQL_C_DEFAULT) {
        c_type = default_c_type(column);
    }
    SQLRETURN rc = SQL_SUCCESS;
    switch (c_type) {
    case SQL_C_CHAR: {
        const std::string text = character_form(value);
        return put_pieces(nullptr, &text, 1, true, target, buffer_length, indicator, progress,
                          diag);
    }
    case SQL_C_WCHAR: {
        std::u16string wide;
        wide = widen_1252(character_form(value));
        return put_pieces(&wide, nullptr, sizeof(char16_t), true, target, buffer_length, indicator,
                          progress, diag);
    }
    case SQL_C_BINARY: {
        const std::string bytes = value.kind == Value::Kind::Text || value.kind == Value::Kind::Blob
                                      ? value.bytes
                                      : character_form(value);
        return put_pieces(nullptr, &bytes, 1, false, target, buffer_length, indicator, progress,
                          diag);
    }
    case SQL_C_SLONG:
    case SQL_C_LONG:
        rc = put_integer<SQLINTEGER>(value, target, indicator, diag);
        break;
    case SQL_C_ULONG:
        rc = put_integer<SQLUINTEGER>(value, target, indicator, diag);
        break;
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
        rc = put_integer<SQLSMALLINT>(value, target, indicator, diag);
        break;
    case SQL_C_USHORT:
        rc = put_integer<SQLUSMALLINT>(value, target, indicator, diag);
        break;
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
        rc = put_integer<signed char>(value, target, indicator, diag);
        break;
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        rc = put_integer<unsigned char>(value, target, indicator, diag);
        break;
    case SQL_C_SBIGINT:
        rc = put_integer<std::int64_t>(value, target, indicator, diag);
        break;
    case SQL_C_UBIGINT:
        rc = put_integer<std::uint64_t>(value, target, indicator, diag);
        break;
    case SQL_C_DOUBLE:
        rc = put_real<double>(value, target, indicator, diag);
        break;
    case SQL_C_FLOAT:
        rc = put_real<float>(value, target, indicator, diag);
        break;
    default:
        return diag.error("07006", "Restricted data type attribute violation: C type " +
                                       std::to_string(c_type) + " is not supported.");
    }
    if (progress != nullptr && SQL_SUCCEEDED(rc)) {
        progress->finished = true;
    }
    return rc;
}

} // namespace brevicor::engine
