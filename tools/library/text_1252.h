#pragma once

// Text as the library holds it (Windows-1252 bytes) and as files hold it (UTF-8).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brevicor::library {

// UTF-8 of Windows-1252 bytes. Every byte has a character: the five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number,
// as Windows converts them, so that no byte is lost on the way out and back.
std::string Utf8FromWindows1252(std::string_view bytes);

// The UTF-8 of Windows-1252 bytes between double quotes, for messages.
std::string QuotedUtf8(std::string_view bytes);

// Windows-1252 bytes of UTF-8 text, or why there are none.
struct Narrowed {
    std::string bytes;
    // Empty when the text converted; otherwise what stopped it, e.g. "holds U+4E2D (中), which
    // Windows-1252 cannot hold".
    std::string problem;
};
Narrowed Windows1252FromUtf8(std::string_view utf8);

// The byte offset of the first sequence that is not valid UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF included), or nothing when all of it is valid.
std::optional<std::size_t> FindInvalidUtf8(std::string_view text);

// Reads one UTF-8 sequence at `at`, advancing it; nothing (and `at` unchanged) when invalid.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& at);
void AppendUtf8(std::string& out, char32_t c);

// Every line break as CR LF, the way a Windows edit box hands text over: a lone LF or a lone
// CR becomes CR LF, and CR LF stays.
std::string CrLfLineBreaks(std::string_view text);

// The library's comparison of names: case-blind for ASCII and for the accented letters of
// Windows-1252 (é = É, š = Š), the way the library's own text collation folds them.
std::string FoldedKey(std::string_view bytes);

// The UTF-8 byte order mark, accepted at the start of every file read.
std::string_view WithoutByteOrderMark(std::string_view text);

} // namespace brevicor::library
