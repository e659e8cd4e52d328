#pragma once

#include <windows.h>

#include <vector>

// A copy of everything on the clipboard that can be copied, taken before a phrase replaces it
// and put back once the phrase has been pasted.
namespace brevicor {

class ClipboardSnapshot {
public:
    ClipboardSnapshot() = default;
    ~ClipboardSnapshot();
    ClipboardSnapshot(const ClipboardSnapshot&) = delete;
    ClipboardSnapshot& operator=(const ClipboardSnapshot&) = delete;

    // Copies every format held in global memory, bitmaps and enhanced metafiles. Formats that
    // only make sense to their owner (owner display, private and GDI-object ranges, the OLE
    // clipboard's own object references, old metafiles, palettes) are left out. False when the
    // clipboard could not be opened within a short wait.
    bool Take();

    // Replaces the clipboard's content with the copies, all or nothing: if a format cannot be
    // set, the clipboard is emptied of the partial restore and false is returned, so the caller
    // can put its own content back. False too when the clipboard stays busy.
    bool Restore();

    size_t FormatCount() const { return m_items.size(); }

private:
    struct Item {
        UINT format;
        HANDLE handle; // owned until handed to the clipboard
    };

    static HANDLE Copy(UINT format, HANDLE source);
    static void Free(UINT format, HANDLE handle);
    void Clear();

    std::vector<Item> m_items;
};

// Opens the clipboard for an owner, retrying for a short while when another window holds it
// open, and closes it when it goes.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner);
    ~OpenedClipboard();
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

} // namespace brevicor
