#pragma once

#include "framework/com_ptr.h"
#include "framework/global_memory.h"

#include <ole2.h>
#include <windows.h>

#include <vector>

// A data source for the OLE clipboard and drag and drop: a real IDataObject offering the global
// memory blocks registered with it, each under one clipboard format.
namespace brevicor {

// COM objects are destroyed by their own Release, never by delete through an interface, so
// the interfaces' non-virtual destructors are harmless here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class COleDataSource final : public IDataObject {
public:
    // A new, empty data source with one reference, the caller's; null when memory is short.
    static ComPtr<COleDataSource> Create();

    // Offers a block under a format, as content, for any target device and index, in global
    // memory. The source owns the block from now on; a block already offered under the same
    // format is replaced.
    void CacheGlobalData(CLIPFORMAT format, GlobalMemory block);

    // Makes this source the clipboard's content (the clipboard takes its own reference), then
    // has every format rendered onto the clipboard at once, so the data stays there after
    // the program ends. Returns the first failure.
    HRESULT SetClipboard();

    // Makes this source the clipboard's content without rendering it: each format is asked
    // for when a program first reads it, which DataRequests() counts. OleFlushClipboard puts
    // the data on the clipboard for good.
    HRESULT SetClipboardUnrendered();

    // How many times a receiver has asked for the data (GetData) so far.
    unsigned DataRequests() const { return m_dataRequests; }

    // Runs drag and drop with the default drop source. The drag starts only while a mouse
    // button is held and the pointer leaves the drag rectangle around where it started; a
    // released button, Escape, or no button held at all ends it at once with no drop.
    // Returns the effect, DROPEFFECT_NONE when nothing was dropped.
    DWORD DoDragDrop(DWORD allowedEffects);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

private:
    struct Entry {
        FORMATETC format;
        GlobalMemory block;
    };

    COleDataSource() = default;
    ~COleDataSource() = default;

    const Entry* Find(const FORMATETC* format) const;

    LONG m_references = 1;
    unsigned m_dataRequests = 0;
    std::vector<Entry> m_entries;
};
#pragma GCC diagnostic pop

// Waits, dispatching the thread's messages, until a held mouse button has moved the pointer
// out of the drag rectangle around its position at the call (true), or the button is
// released, Escape is pressed or no button was held at all (false).
bool WaitForDragStart();

} // namespace brevicor
