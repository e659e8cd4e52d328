#pragma once

#include "framework/unique_handle.h"

#include <windows.h>

#include <utility>

// Owning GDI objects and device contexts, and the guard that puts back what SelectObject
// replaced. Each owning wrapper is move-only, so no object is deleted twice.
namespace brevicor {

// An owning GDI object handle (font, brush, pen, bitmap), deleted with DeleteObject.
template <class Handle> using OwnedGdiObject = UniqueHandle<Handle, &DeleteObject>;

using OwnedBrush = OwnedGdiObject<HBRUSH>;

// Selects an object into a device context and selects the previous one back at scope end, so
// that an owned object is never deleted while still selected.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (m_previous != nullptr) {
            SelectObject(m_dc, m_previous);
        }
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The client-area device context of a window (GetDC), released at scope end.
class CClientDC {
public:
    explicit CClientDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~CClientDC() {
        if (m_dc != nullptr) {
            ReleaseDC(m_window, m_dc);
        }
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The paint device context of WM_PAINT (BeginPaint), ended at scope end.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~CPaintDC() { EndPaint(m_window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

} // namespace brevicor
