#pragma once

#include "framework/map_ptr_to_ptr.h"
#include "framework/object.h"

#include <windows.h>

// Window subclassing by plain objects: a hook watches every message sent to a window it does
// not own. The first hook on a window replaces the window's procedure by RouteMessage; each
// message then reaches the newest hook, each hook passes it to the next older one, and the
// oldest to the procedure the window had before. The last hook to go puts that procedure back.
namespace brevicor {

class CSubclassWnd : public CObject {
    DECLARE_RUNTIME_CLASS(CSubclassWnd)
public:
    CSubclassWnd();
    // A hook destroyed while attached detaches itself; the other hooks on its window stay.
    ~CSubclassWnd() override;
    // The registry and the other hooks of the window point at this object.
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // A window attaches the hook, null detaches it. A hook serves one window at a time:
    // attaching it to another window detaches it from the first, attaching it again to its own
    // window changes nothing. False, and the hook left detached, when the window cannot be
    // subclassed (no such window, or one of another process).
    BOOL AttachTo(HWND window);

    // Passes the message on to the older hook, or to the window's earlier procedure. A derived
    // hook does its own work and ends by calling this, so that the window still gets it.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetTarget() const { return m_hTarget; }
    WNDPROC GetPrevProc() const { return m_pfnPrevProc; }
    CSubclassWnd* GetOlder() const { return m_pOlder; }

private:
    friend class HookRegistry;

    HWND m_hTarget = nullptr;
    WNDPROC m_pfnPrevProc = nullptr;  // the window's procedure before its first hook
    CSubclassWnd* m_pOlder = nullptr; // not owned
};

// The process-wide map from a window to the newest hook attached to it, the head of the
// window's chain. A window is a key exactly while it has hooks; hooks are not owned.
class HookRegistry : public CMapPtrToPtr {
public:
    static HookRegistry& Instance();

    // The head hook of the window, or null.
    CSubclassWnd* FindHook(HWND window) const;

    // Used by CSubclassWnd only. AddHook makes the hook the window's head and installs
    // RouteMessage with the first hook; false, with nothing changed, when the platform refuses.
    // RemoveHook unlinks the hook from its window's chain and puts the earlier procedure back
    // with the last one; the hook's own fields are left to the caller.
    bool AddHook(HWND window, CSubclassWnd* hook);
    void RemoveHook(CSubclassWnd* hook);

private:
    HookRegistry() : CMapPtrToPtr(10) {}
};

// The window procedure of every window that has hooks.
LRESULT CALLBACK RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace brevicor
