#pragma once

#include <string>

// Keeps what the store holds in memory (the category list, the preview texts) as the library
// is: a colleague's new category or edited phrase shows at the next opening of the tray menu,
// without a restart.
namespace brevicor {

// Reloads the category list and the preview texts when the library has changed since they
// were last read, or when that cannot be told. Called as the tray menu opens.
void RefreshLibraryViews();

// Notes that the category list and the preview texts have just been read (at start-up), so
// that the first menu does not read them again.
void NoteLibraryViewsRead(bool read);

// What identifies the library's current state: the file's size and time of its last write,
// or the team server's change counter; empty when it cannot be told.
std::string LibraryChangeStamp();

} // namespace brevicor
