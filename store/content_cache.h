#pragma once

#include <string>

// The phrase texts the hover preview shows, by PhraseID, kept in memory so that the tray menu
// never waits on the library while the highlight moves.
namespace brevicor {

// Rebuilds the cache from the library in one pass: the content of every phrase whose content
// is not empty, whatever its PhraseID, exactly as stored. When the statement cannot run, the
// cache keeps what it held. Returns the number of rows read, empty ones included.
int LoadContentCache();

// The cached content of a PhraseID; empty when the phrase has none or is not cached.
std::string LookupCachedContent(int phraseId);

} // namespace brevicor
