#include "framework/ole_data_source.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace brevicor {

namespace {

bool IsKeyDown(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

bool MouseButtonHeld() {
    return IsKeyDown(VK_LBUTTON) || IsKeyDown(VK_RBUTTON) || IsKeyDown(VK_MBUTTON);
}

// Copies a block for a receiver that owns the copy (GetData hands out, never lends).
HGLOBAL CopyBlock(HGLOBAL source) {
    SIZE_T size = GlobalSize(source);
    GlobalMemory copy(GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size));
    if (!copy) {
        return nullptr;
    }
    {
        GlobalLockGuard from(source);
        GlobalLockGuard to(copy.Get());
        if (from.Data() == nullptr || to.Data() == nullptr) {
            return nullptr;
        }
        std::memcpy(to.Data(), from.Data(), size);
    }
    return copy.Release();
}

// The drop source of a drag: drop when the buttons are released, cancel on Escape.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // destroyed by its own Release only
class DefaultDropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
        if (escapePressed) {
            return DRAGDROP_S_CANCEL;
        }
        if ((keyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
            return DRAGDROP_S_DROP;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    LONG m_references = 1;
};
#pragma GCC diagnostic pop

} // namespace

bool WaitForDragStart() {
    if (!MouseButtonHeld()) {
        return false; // a keyboard choice, or a click that has already ended
    }
    POINT start{};
    GetCursorPos(&start);
    // SM_CXDRAG and SM_CYDRAG are the distances either side of the start.
    RECT still{start.x - GetSystemMetrics(SM_CXDRAG), start.y - GetSystemMetrics(SM_CYDRAG),
               start.x + GetSystemMetrics(SM_CXDRAG) + 1,
               start.y + GetSystemMetrics(SM_CYDRAG) + 1};
    for (;;) {
        if (!MouseButtonHeld() || IsKeyDown(VK_ESCAPE)) {
            return false;
        }
        POINT now{};
        GetCursorPos(&now);
        if (!PtInRect(&still, now)) {
            return true;
        }
        // Wait for input or a short while, and keep the thread's windows (the icon's
        // animation) running, as any modal loop here does.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop that waits on it
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

ComPtr<COleDataSource> COleDataSource::Create() {
    return ComPtr<COleDataSource>::Adopt(new (std::nothrow) COleDataSource());
}

void COleDataSource::CacheGlobalData(CLIPFORMAT format, GlobalMemory block) {
    FORMATETC description{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    for (Entry& entry : m_entries) {
        if (entry.format.cfFormat == format) {
            entry.block = std::move(block);
            return;
        }
    }
    m_entries.push_back(Entry{description, std::move(block)});
}

HRESULT COleDataSource::SetClipboard() {
    HRESULT hr = OleSetClipboard(this);
    if (FAILED(hr)) {
        return hr;
    }
    return OleFlushClipboard();
}

HRESULT COleDataSource::SetClipboardUnrendered() {
    return OleSetClipboard(this);
}

DWORD COleDataSource::DoDragDrop(DWORD allowedEffects) {
    if (!WaitForDragStart()) {
        return DROPEFFECT_NONE;
    }
    ComPtr<IDropSource> source = ComPtr<IDropSource>::Adopt(new (std::nothrow) DefaultDropSource());
    if (!source) {
        return DROPEFFECT_NONE;
    }
    DWORD effect = DROPEFFECT_NONE;
    if (::DoDragDrop(this, source.Get(), allowedEffects, &effect) != DRAGDROP_S_DROP) {
        return DROPEFFECT_NONE;
    }
    return effect;
}

HRESULT COleDataSource::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG COleDataSource::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

ULONG COleDataSource::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

const COleDataSource::Entry* COleDataSource::Find(const FORMATETC* format) const {
    if (format == nullptr) {
        return nullptr;
    }
    for (const Entry& entry : m_entries) {
        if (entry.format.cfFormat == format->cfFormat &&
            (format->dwAspect & DVASPECT_CONTENT) != 0 && (format->tymed & TYMED_HGLOBAL) != 0) {
            return &entry;
        }
    }
    return nullptr;
}

HRESULT COleDataSource::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (medium == nullptr) {
        return E_POINTER;
    }
    const Entry* entry = Find(format);
    if (entry == nullptr || !entry->block) {
        return DV_E_FORMATETC;
    }
    ++m_dataRequests;
    HGLOBAL copy = CopyBlock(entry->block.Get());
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT COleDataSource::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
    if (medium == nullptr) {
        return E_POINTER;
    }
    const Entry* entry = Find(format);
    if (entry == nullptr || !entry->block || medium->tymed != TYMED_HGLOBAL) {
        return DV_E_FORMATETC;
    }
    SIZE_T size = GlobalSize(entry->block.Get());
    if (GlobalSize(medium->hGlobal) < size) {
        return STG_E_MEDIUMFULL;
    }
    GlobalLockGuard from(entry->block.Get());
    GlobalLockGuard to(medium->hGlobal);
    if (from.Data() == nullptr || to.Data() == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(to.Data(), from.Data(), size);
    return S_OK;
}

HRESULT COleDataSource::QueryGetData(FORMATETC* format) {
    return Find(format) != nullptr ? S_OK : DV_E_FORMATETC;
}

HRESULT COleDataSource::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
    if (in == nullptr || out == nullptr) {
        return E_INVALIDARG;
    }
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT COleDataSource::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}

HRESULT COleDataSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (formats == nullptr) {
        return E_POINTER;
    }
    *formats = nullptr;
    if (direction != DATADIR_GET) {
        return E_NOTIMPL;
    }
    std::vector<FORMATETC> offered;
    offered.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        offered.push_back(entry.format);
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(offered.size()), offered.data(), formats);
}

HRESULT COleDataSource::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT COleDataSource::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT COleDataSource::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace brevicor
