#include "delivery/clipboard_snapshot.h"

#include <cstring>
#include <string>

namespace brevicor {

namespace {

// Long enough for a program that is reading the clipboard to finish and close it.
constexpr DWORD kOpenRetryMs = 1000;
constexpr DWORD kOpenRetryStepMs = 10;

// Owns the clipboard while the restore writes it: SetClipboardData needs an owner window.
class ClipboardOwnerWindow {
public:
    ClipboardOwnerWindow()
        : m_window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr)) {}
    ~ClipboardOwnerWindow() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    ClipboardOwnerWindow(const ClipboardOwnerWindow&) = delete;
    ClipboardOwnerWindow& operator=(const ClipboardOwnerWindow&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

bool IsOleObjectFormat(UINT format) {
    char name[64] = {};
    if (format < 0xC000 || GetClipboardFormatNameA(format, name, sizeof(name)) == 0) {
        return false;
    }
    std::string text = name;
    return text == "DataObject" || text == "Ole Private Data" ||
           text == "OleClipboardPersistOnFlush";
}

bool IsCopyable(UINT format) {
    switch (format) {
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_OWNERDISPLAY:
    case CF_DSPTEXT:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
        return false;
    default:
        break;
    }
    if ((format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
        (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST)) {
        return false;
    }
    return !IsOleObjectFormat(format);
}

HGLOBAL CopyGlobal(HGLOBAL source) {
    SIZE_T size = GlobalSize(source);
    void* from = GlobalLock(source);
    if (from == nullptr) {
        return nullptr;
    }
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy != nullptr) {
        void* to = GlobalLock(copy);
        if (to != nullptr) {
            std::memcpy(to, from, size);
            GlobalUnlock(copy);
        } else {
            GlobalFree(copy);
            copy = nullptr;
        }
    }
    GlobalUnlock(source);
    return copy;
}

} // namespace

OpenedClipboard::OpenedClipboard(HWND owner) {
    for (DWORD waited = 0; waited <= kOpenRetryMs; waited += kOpenRetryStepMs) {
        if (OpenClipboard(owner)) {
            m_open = true;
            return;
        }
        Sleep(kOpenRetryStepMs);
    }
}

OpenedClipboard::~OpenedClipboard() {
    if (m_open) {
        CloseClipboard();
    }
}

ClipboardSnapshot::~ClipboardSnapshot() {
    Clear();
}

HANDLE ClipboardSnapshot::Copy(UINT format, HANDLE source) {
    switch (format) {
    case CF_BITMAP:
        return CopyImage(source, IMAGE_BITMAP, 0, 0, 0);
    case CF_ENHMETAFILE:
        return CopyEnhMetaFileA(static_cast<HENHMETAFILE>(source), nullptr);
    default:
        return CopyGlobal(source);
    }
}

void ClipboardSnapshot::Free(UINT format, HANDLE handle) {
    switch (format) {
    case CF_BITMAP:
        DeleteObject(handle);
        break;
    case CF_ENHMETAFILE:
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(handle));
        break;
    default:
        GlobalFree(handle);
        break;
    }
}

void ClipboardSnapshot::Clear() {
    for (const Item& item : m_items) {
        Free(item.format, item.handle);
    }
    m_items.clear();
}

bool ClipboardSnapshot::Take() {
    Clear();
    OpenedClipboard clipboard(nullptr);
    if (!clipboard.IsOpen()) {
        return false;
    }
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        if (!IsCopyable(format)) {
            continue;
        }
        HANDLE data = GetClipboardData(format);
        if (data == nullptr) {
            continue; // a format its owner could not render: nothing to keep
        }
        if (HANDLE copy = Copy(format, data); copy != nullptr) {
            m_items.push_back(Item{format, copy});
        }
    }
    return true;
}

bool ClipboardSnapshot::Restore() {
    ClipboardOwnerWindow owner;
    if (owner.Get() == nullptr) {
        return false;
    }
    OpenedClipboard clipboard(owner.Get());
    if (!clipboard.IsOpen() || !EmptyClipboard()) {
        return false;
    }
    // Copies again, so that a failed restore still holds the snapshot for another try.
    for (const Item& item : m_items) {
        HANDLE copy = Copy(item.format, item.handle);
        if (copy == nullptr || SetClipboardData(item.format, copy) == nullptr) {
            if (copy != nullptr) {
                Free(item.format, copy);
            }
            EmptyClipboard(); // nothing half-written stays
            return false;
        }
    }
    return true;
}

} // namespace brevicor
