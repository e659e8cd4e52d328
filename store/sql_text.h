#pragma once

#include <string>
#include <string_view>

// Small text rules the phrase store applies to values and results.
namespace brevicor {

// Doubles every single quote, so that a value placed between quotes in a statement can neither
// end its literal nor change the statement.
std::string QuoteLiteral(std::string_view value);

// Leading blanks, one optional sign, then digits up to the first non-digit; no digits gives 0.
// Values beyond the 32-bit range are clamped instead of overflowing.
int ParseDecimal(std::string_view text);

// The byte pair that stands for an apostrophe in phrase texts written by AddPhrase.
inline constexpr char kApostropheMarker[] = "\xAC\x60";

// Each apostrophe becomes the marker pair (0xAC 0x60); everything else is unchanged.
std::string EncodeApostrophes(std::string_view content);

// Each marker pair, scanning left to right without rescanning, becomes an apostrophe.
std::string DecodeApostrophes(std::string_view content);

} // namespace brevicor
