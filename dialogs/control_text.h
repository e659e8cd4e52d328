#pragma once

#include "store/phrase_queries.h"

#include <windows.h>

#include <cstddef>
#include <string>

// What the library dialogs share: reading a control's text with the input cuts, and telling
// the user that a write was not stored.
namespace brevicor {

inline constexpr std::size_t kShortcutMaxChars = 255; // a shortcut longer than this is cut
inline constexpr std::size_t kContentMaxChars = 9215; // so is a phrase text

// The control's text, cut to its first maxChars characters.
std::string ReadControlText(HWND control, std::size_t maxChars);

// The control's whole text, however long.
std::string ReadWholeControlText(HWND control);

// Shows "<what>" and the driver's reason in a warning box when the write was not stored.
// Returns whether it was stored, so that a handler stops, keeping every input, when not.
bool ConfirmStored(const WriteResult& result, const char* what);

} // namespace brevicor
